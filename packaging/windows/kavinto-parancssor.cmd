@echo off
rem The catalogue tool's command prompt, opened in the catalogue folder: the
rem tool's folder on this prompt's own PATH, its usage shown.
set "PATH=%~dp0;%PATH%"
title kavinto-catalogue
kavinto-catalogue --help

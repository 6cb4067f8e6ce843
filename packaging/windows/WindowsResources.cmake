# kavinto_windows_resources(TARGET DESCRIPTION): the program's icon and version
# resource, linked into a Windows executable.
function(kavinto_windows_resources target description)
  set(KAVINTO_ICON "${PROJECT_SOURCE_DIR}/assets/kavinto.ico")
  get_target_property(KAVINTO_RC_NAME ${target} OUTPUT_NAME)
  if(NOT KAVINTO_RC_NAME)
    set(KAVINTO_RC_NAME ${target})
  endif()
  set(KAVINTO_RC_DESCRIPTION "${description}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
  configure_file("${PROJECT_SOURCE_DIR}/packaging/windows/resource.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()

/* The end-to-end tests' viewer for PDF files: appends the document the
   shell hands it (argument 2) to a log (argument 1), a UTF-8 line each. */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 2;
    char line[4 * MAX_PATH + 2];
    const int n = WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, line, sizeof line - 1, NULL, NULL);
    if (n <= 0)
        return 1;
    line[n - 1] = '\n';
    FILE* log = _wfopen(argv[1], L"ab");
    if (!log)
        return 1;
    fwrite(line, 1, (size_t)n, log);
    return fclose(log) == 0 ? 0 : 1;
}

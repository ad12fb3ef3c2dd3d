// An outside error component for the tests: writes the eight arguments it receives, one
// per line, to the file named by SHEENWORK_TEST_COMPONENT_LOG and answers with the
// number in SHEENWORK_TEST_COMPONENT_RESULT (0, handled, when unset).
#include <sheenwork/system/services.h>

#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) int SheenworkRaiseError(
    const char* host_path, const SheenworkLibraryInfo* library, long* number,
    const char** description, const char** procedure, long* line, const char** module_kind,
    const char** module_name) {
    if (const char* log = std::getenv("SHEENWORK_TEST_COMPONENT_LOG")) {
        if (std::FILE* f = std::fopen(log, "ab")) {
            std::fprintf(f, "%s\n%s|%s|%s\n%ld\n%s\n%s\n%ld\n%s\n%s\n", host_path, library->name,
                         library->folder, library->version, *number, *description, *procedure,
                         *line, *module_kind, *module_name);
            std::fclose(f);
        }
    }
    const char* result = std::getenv("SHEENWORK_TEST_COMPONENT_RESULT");
    return result ? std::atoi(result) : 0;
}

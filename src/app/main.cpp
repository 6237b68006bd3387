// The demo's entry point: one Application on the stack, started from the directory that holds
// the shader and asset folders. Exit code 0 after a normal close, -1 when start-up fails.
#include "app/Application.h"
#include "app/WorkingDirectory.h"

#include <cstdlib>

int main() {
    WorkingDirectory::useExecutableDirectoryIfNeeded();
    Application application;
    if (!application.init()) {
        std::exit(-1);
    }
    application.run();
    return 0;
}

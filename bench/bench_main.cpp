// kurvilon_bench [filter]: runs every registered section whose name contains filter.
#include <QApplication>

#include "bench/bench.h"

int main(int argc, char** argv) {
    // Sections that need widgets run offscreen unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::string filter = argc > 1 ? argv[1] : "";
    for (auto& [name, fn] : bench::Registry()) {
        if (!filter.empty() && name.find(filter) == std::string::npos) continue;
        std::printf("== %s\n", name.c_str());
        std::fflush(stdout);
        fn();
    }
    return 0;
}

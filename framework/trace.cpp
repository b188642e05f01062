#include "framework/trace.h"

#include <exception>
#include <utility>

namespace vt {

namespace {
TraceSink g_sink = nullptr;
}

void Trace(const std::string& text) noexcept {
    try {
        std::string line = "Vantrel: " + text;
        if (g_sink) {
            g_sink(line);
        } else {
            line += '\n';
            OutputDebugStringA(line.c_str());
        }
    } catch (...) {
        // Out of memory while tracing: there is nothing more to say.
    }
}

void TraceCurrentException(const char* where) noexcept {
    std::string what;
    try {
        throw;
    } catch (const std::exception& e) {
        what = e.what();
    } catch (...) {
        what = "an exception that is not a std::exception";
    }
    Trace(std::string(where ? where : "?") + " stopped " + what);
}

TraceSink SetTraceSink(TraceSink sink) noexcept { return std::exchange(g_sink, sink); }

}  // namespace vt

// Traces for failures that have nowhere else to go: an exception stopped at a
// window procedure, a message loop that cannot read its queue. They go to the
// debugger (OutputDebugStringA), or to a sink a test installs.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

using TraceSink = void (*)(const std::string& line);

// Writes "Vantrel: <text>" to the sink, or to the debugger when none is set.
void Trace(const std::string& text) noexcept;

// Call only inside a catch block: traces what the current exception says,
// prefixed with where it was stopped.
void TraceCurrentException(const char* where) noexcept;

// Replaces the sink (null: the debugger); returns the previous one.
TraceSink SetTraceSink(TraceSink sink) noexcept;

}  // namespace vt

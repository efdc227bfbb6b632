#pragma once

#include "platform/glibpointers.h"

namespace varlok::platform {

// A fresh GLib main context made the calling thread's default for the lifetime of
// this object. GIO objects (GSettings, GDBusConnection) deliver their signals on
// the context that was the thread default when they were made; made under one of
// these, such deliveries never land on the global default context (the UI
// thread's, under Qt) and are freed together with the context. Objects made under
// it must be dropped before it. Not movable; lives on one thread's stack.
class GlibThreadContext {
public:
    GlibThreadContext();
    ~GlibThreadContext();
    GlibThreadContext(const GlibThreadContext&) = delete;
    GlibThreadContext& operator=(const GlibThreadContext&) = delete;

private:
    GMainContextPtr m_context{g_main_context_new()};
};

}  // namespace varlok::platform

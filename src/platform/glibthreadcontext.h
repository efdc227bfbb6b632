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
    // Makes `context` (taken with a reference of its own) the thread default
    // instead of a fresh one, for a thread that runs a main loop on a context
    // its owner made and may wake from another thread.
    explicit GlibThreadContext(GMainContext* context);
    ~GlibThreadContext();
    GlibThreadContext(const GlibThreadContext&) = delete;
    GlibThreadContext& operator=(const GlibThreadContext&) = delete;

private:
    GMainContextPtr m_context{g_main_context_new()};
};

}  // namespace varlok::platform

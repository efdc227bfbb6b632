#include "platform/glibthreadcontext.h"

namespace varlok::platform {

GlibThreadContext::GlibThreadContext() {
    g_main_context_push_thread_default(m_context.get());
}

GlibThreadContext::GlibThreadContext(GMainContext* context)
    : m_context(g_main_context_ref(context)) {
    g_main_context_push_thread_default(m_context.get());
}

GlibThreadContext::~GlibThreadContext() {
    g_main_context_pop_thread_default(m_context.get());
}

}  // namespace varlok::platform

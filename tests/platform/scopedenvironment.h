#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace varlok::platform::testing {

// Sets (or, with std::nullopt, unsets) an environment variable for one test and
// restores the previous state afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value)
        : m_name(std::move(name)) {
        if (const char* old = std::getenv(m_name.c_str())) {
            m_old = old;
        }
        Apply(value);
    }
    ~ScopedEnvironment() { Apply(m_old); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    void Apply(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(m_name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }

    std::string m_name;
    std::optional<std::string> m_old;
};

}  // namespace varlok::platform::testing

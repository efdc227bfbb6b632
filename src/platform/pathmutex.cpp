#include "platform/pathmutex.h"

#include <map>
#include <string>

namespace varlok::platform {

std::shared_ptr<std::mutex> MutexForPath(const std::filesystem::path& canonicalPath) {
    static std::mutex registryMutex;
    static std::map<std::string, std::weak_ptr<std::mutex>> registry;

    std::lock_guard lock(registryMutex);
    for (auto it = registry.begin(); it != registry.end();) {
        it = it->second.expired() ? registry.erase(it) : std::next(it);
    }
    std::weak_ptr<std::mutex>& slot = registry[canonicalPath.string()];
    std::shared_ptr<std::mutex> mutex = slot.lock();
    if (!mutex) {
        mutex = std::make_shared<std::mutex>();
        slot = mutex;
    }
    return mutex;
}

std::filesystem::path CanonicalFilePath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    if (!error) {
        return canonical;
    }
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal();
}

}  // namespace varlok::platform

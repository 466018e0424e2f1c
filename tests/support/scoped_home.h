#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace tramlet::test {

// Makes `home` the user's home folder while it lives, with the standard
// user folders (videos, pictures) below it, so that what the program offers
// and makes there stays within the test.
class ScopedHome {
  public:
    explicit ScopedHome(const std::filesystem::path& home)
        : home_(Get("HOME")), config_(Get("XDG_CONFIG_HOME")) {
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
    }
    ~ScopedHome() {
        Restore("HOME", home_);
        Restore("XDG_CONFIG_HOME", config_);
    }
    ScopedHome(const ScopedHome&) = delete;
    ScopedHome& operator=(const ScopedHome&) = delete;

  private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value) {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }

    std::optional<std::string> home_;
    std::optional<std::string> config_;
};

}  // namespace tramlet::test

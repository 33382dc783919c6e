// A decimal-comma locale (de_DE.UTF-8) for tests of what must read and write
// the same whatever the user's locale: files, environment values and the texts
// the design gives a '.' to. The system's own is used when it is installed;
// otherwise it is made once with localedef (from Debian's "locales" package,
// which scripts/deps installs) beside the test program, in "test-locales", and
// found through LOCPATH. Header only, so that every test program can use it.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

class CommaLocale {
  public:
    static constexpr const char* kName = "de_DE.UTF-8";

    // Switches the whole process (LC_ALL) to the comma locale; ok() says
    // whether it did, why() why not.
    CommaLocale()
    {
        const char* before = std::setlocale(LC_ALL, nullptr);
        before_ = before != nullptr ? before : "C";
        if (const char* locpath = std::getenv("LOCPATH")) locpath_ = locpath;
        if (trySwitch()) return;
        const std::string folder = generatedFolder();
        if (folder.empty()) return; // why_ says why
        setenv("LOCPATH", folder.c_str(), 1);
        if (!trySwitch())
            why_ = "the locale made in " + folder + " has no decimal comma or does not load";
    }
    // Puts back the locale (and LOCPATH) the process had before.
    ~CommaLocale()
    {
        if (locpath_)
            setenv("LOCPATH", locpath_->c_str(), 1);
        else
            unsetenv("LOCPATH");
        std::setlocale(LC_ALL, before_.c_str());
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }

  private:
    bool trySwitch()
    {
        if (std::setlocale(LC_ALL, kName) == nullptr) return false;
        if (std::strcmp(std::localeconv()->decimal_point, ",") != 0) {
            std::setlocale(LC_ALL, before_.c_str());
            return false;
        }
        ok_ = true;
        return true;
    }

    static std::string programFolder()
    {
        char self[4096];
        const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
        if (n <= 0) return ".";
        std::string path(self, static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        return slash == std::string::npos ? "." : path.substr(0, slash);
    }

    static bool isFolder(const std::string& path)
    {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    static int run(const char* const* argv)
    {
        pid_t pid = 0;
        if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv),
                         environ) != 0)
            return -1;
        int status = 0;
        while (waitpid(pid, &status, 0) < 0)
            if (errno != EINTR) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The folder holding the made locale, made now when it is not there yet.
    // Test programs run side by side: each makes it in a scratch folder of its
    // own and moves it into place whole; the first to finish wins.
    std::string generatedFolder()
    {
        const std::string root = programFolder() + "/test-locales";
        const std::string target = root + "/" + kName;
        why_.clear();
        if (isFolder(target)) return root;
        ::mkdir(root.c_str(), 0755);
        std::string scratch = root + "/making.XXXXXX";
        if (mkdtemp(scratch.data()) == nullptr) {
            why_ = "cannot make a folder in " + root;
            return {};
        }
        const std::string made = scratch + "/" + kName;
        const char* argv[] = {"localedef", "-i", "de_DE", "-f", "UTF-8", made.c_str(), nullptr};
        // 1: warnings, the locale is written all the same.
        const int status = run(argv);
        if (status != 0 && status != 1) {
            why_ = "localedef -i de_DE -f UTF-8 failed (exit " + std::to_string(status) +
                   "); is the Debian package \"locales\" installed (scripts/deps)?";
        } else if (std::rename(made.c_str(), target.c_str()) != 0 && !isFolder(target)) {
            why_ = "cannot move the made locale to " + target;
        }
        const char* rm[] = {"rm", "-rf", scratch.c_str(), nullptr};
        run(rm);
        return why_.empty() ? root : std::string();
    }

    std::string before_;
    std::optional<std::string> locpath_;
    bool ok_ = false;
    std::string why_;
};

// In a test: switches to the comma locale for the rest of the scope, or fails
// the test with the reason.
#define KVRX_COMMA_LOCALE(name)                                                                    \
    CommaLocale name;                                                                              \
    ASSERT_TRUE(name.ok()) << name.why()

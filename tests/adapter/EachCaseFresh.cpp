// Every case of the adapter tests starts as in a process of its own: the
// library restarted, so that its first call reads the environment again, and
// the KVRX_* variables as the program found them, with the simulated board on
// the manual clock unless they say otherwise. What a case sets is undone after
// it, so no case sees another's boards or settings, whether it runs alone or
// with the whole program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "kvrx_usb.h"

extern char** environ;

namespace {

using Variables = std::map<std::string, std::string>;

Variables kvrxVariables()
{
    Variables found;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (equals == nullptr || std::strncmp(*entry, "KVRX_", 5) != 0) continue;
        found.emplace(std::string(*entry, static_cast<size_t>(equals - *entry)), equals + 1);
    }
    return found;
}

class EachCaseFresh : public testing::EmptyTestEventListener {
  public:
    EachCaseFresh()
    {
        setenv("KVRX_SIM_CLOCK", "manual", 0);
        start_ = kvrxVariables();
    }

    void OnTestStart(const testing::TestInfo&) override { restore(); }
    void OnTestEnd(const testing::TestInfo&) override { restore(); }

  private:
    void restore() const
    {
        for (const auto& [name, value] : kvrxVariables())
            if (!start_.contains(name)) unsetenv(name.c_str());
        for (const auto& [name, value] : start_)
            setenv(name.c_str(), value.c_str(), 1);
        KVRX_TestRestart();
    }

    Variables start_;
};

const bool kRegistered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new EachCaseFresh);
    return true;
}();

} // namespace

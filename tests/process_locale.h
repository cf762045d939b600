// Sets the process locale for the life of a test scope, as QApplication sets it from the
// environment, and puts the previous one back.
#pragma once
#include <clocale>
#include <string>

class ProcessLocale {
  public:
    explicit ProcessLocale(const char* name) {
        const char* old = std::setlocale(LC_ALL, nullptr);
        previous_ = old ? old : "C";
        ok_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ProcessLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    ProcessLocale(const ProcessLocale&) = delete;
    ProcessLocale& operator=(const ProcessLocale&) = delete;
    // False when the locale is not generated on this machine.
    bool ok() const { return ok_; }

  private:
    std::string previous_;
    bool ok_ = false;
};

// The decimal-comma locales the program's users run.
inline const char* const kCommaLocales[] = {"fr_FR.UTF-8", "de_DE.UTF-8"};

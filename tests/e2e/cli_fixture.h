// A scratch directory and a way to run zelvanor-cli in it, for tests of its commands.
#pragma once
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_cli_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string path(const std::string& n) const { return dir_ + "/" + n; }
    void write(const std::string& n, const std::string& bytes) const {
        std::ofstream(path(n), std::ios::binary) << bytes;
    }
    std::string read(const std::string& n) const {
        std::ifstream f(path(n), std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    // Exit code of `zelvanor-cli <args>` in the C locale (or the one named); its standard output
    // and error in `out` and `err`.
    int run(const std::string& args, std::string& err, std::string* out = nullptr,
            const std::string& locale = "C") const {
        const std::string cmd = "LC_ALL=" + locale + " LANG=" + locale + " " +
                                std::string(ZEL_CLI) + " " + args + " >" + path("stdout") + " 2>" +
                                path("stderr");
        const int st = std::system(cmd.c_str());
        err = read("stderr");
        if (out) *out = read("stdout");
        return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    }
    std::string dir_;
};

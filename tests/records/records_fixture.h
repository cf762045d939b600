#pragma once
// A scratch data directory and a clean configuration for the capture and counter tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/regional.h"
#include "base/textfile.h"
#include "records/capture.h"
#include "settings/config.h"

class RecordsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zel_records_XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        saved_dir_ = zel::Repertoire_conf;
        zel::Repertoire_conf = dir_ + "/";
        zel::Fichier_conf = zel::type_fichier_conf{};
        zel::F_Capture.clear();
        zel::F_Fichier.clear();
        zel::F_DownLoad.clear();
        zel::SetRegional(zel::RegionalSettings{'/', ':', '.', "fr", "FR"});
    }
    void TearDown() override {
        zel::ResetRegional();
        zel::Repertoire_conf = saved_dir_;
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const {
        ASSERT_TRUE(zel::AtomicWriteFile(path(name), bytes));
    }
    std::string read(const std::string& name) const {
        std::string b;
        zel::ReadFileBytes(path(name), b);
        return b;
    }
    // Names of the files in the data directory, sorted.
    std::vector<std::string> files() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    std::string dir_;
    std::string saved_dir_;
};

// A list from its lines.
inline zel::TCaptureList List(std::initializer_list<const char*> lines) {
    zel::TCaptureList l;
    for (const char* s : lines)
        l.push_back(s);
    return l;
}

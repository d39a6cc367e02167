// A medium folder made afresh in a temporary directory for each test, and
// runs of mediacheck on it.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/unit/platform_media.h"
#include "tools/mediacheck/mediacheck.h"

struct MediacheckRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

class MediumTest : public ::testing::Test {
public:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mediacheck-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    // Relative paths with forward slashes.
    void Write(const std::string& relativePath, std::string_view bytes) const
    {
        std::filesystem::path path = std::filesystem::path(root) / relativePath;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    void Folder(const std::string& relativePath) const
    {
        std::filesystem::create_directories(std::filesystem::path(root) / relativePath);
    }

    void Remove(const std::string& relativePath) const
    {
        std::filesystem::remove_all(std::filesystem::path(root) / relativePath);
    }

    // A disk-1 medium with a shipped runtime, both installers and the given
    // platform id.
    void AddTypicalMedium(std::string_view platformId = "2000") const
    {
        Write("setup.exe", "MZ launcher");
        Folder("stage/Components/tamvex.jdk");
        Write("install/win32/setup.exe", "MZ 32");
        Write("install/win64/setup.exe", "MZ 64");
        Write("stage/disk.label", DiskLabel("Tamvex Suite"));
        Write("stage/shiphomeproperties.xml", ShipHomeProperties(platformId, "Microsoft Windows"));
    }

    MediacheckRun Run(std::vector<std::string> arguments) const
    {
        MediacheckRun run;
        std::ostringstream out;
        std::ostringstream err;
        run.exitStatus = RunMediacheck(arguments, out, err);
        run.out = out.str();
        run.err = err.str();
        return run;
    }

    Report Check(CheckOptions options = {}) const
    {
        options.folder = root;
        std::string error;
        Medium medium = LoadMedium(root, options.langId, error);
        EXPECT_EQ(error, "");
        return CheckMedium(medium, options);
    }

    static CheckOptions Windows(int bits, std::vector<std::string> arguments = {})
    {
        CheckOptions options;
        options.windowsBits = {bits};
        options.arguments = std::move(arguments);
        return options;
    }

    std::string root;
};

// A fresh, empty folder of a test's own under the temporary folder, removed
// with everything in it when the test is done. Named after the running test
// (and a part, where one test needs several), since ctest runs tests side by
// side.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& part = "")
      : path(std::filesystem::temp_directory_path() / FolderName(part)) {
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path path;

 private:
  static std::string FolderName(const std::string& part) {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "brindlemox-";
    name += test != nullptr ? std::string(test->test_suite_name()) + "-" + test->name() : "test";
    if (!part.empty()) name += "-" + part;
    return name;
  }
};

// A scratch directory that is the working directory for its scope: the
// program, started inside it, finds there what the test put there.
class ScratchWorkingDirectory : public ScratchDirectory {
 public:
  explicit ScratchWorkingDirectory(const std::string& part = "")
      : ScratchDirectory(part), saved(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~ScratchWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(saved, ignored);
  }

 private:
  const std::filesystem::path saved;
};

#pragma once
// Starting ppwtool.exe without waiting for it, for tests that end it themselves.
#include <windows.h>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {

// The running process, as RunProcess starts it; none if it could not start.
fw::UniqueHandle StartProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                              const std::filesystem::path& out, const std::filesystem::path& err);

}  // namespace tessam::test

#pragma once
#include <windows.h>

#include "framework/handles.h"
#include "tests/cli/ppwtool_test.h"

namespace tessam::test {

// The running process, started as RunProcess starts it (its output in files), not waited for.
fw::UniqueHandle StartProcess(const std::filesystem::path& program, const Words& arguments,
                              const std::filesystem::path& out, const std::filesystem::path& err);

}  // namespace tessam::test

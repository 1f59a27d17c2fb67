#pragma once
// Whether a person is watching: standard error is a terminal (on Windows, a
// console). One implementation per platform.
namespace ppwtool {

bool StandardErrorIsTerminal();

}  // namespace ppwtool

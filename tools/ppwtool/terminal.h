#pragma once
// Whether a person is watching: standard error is a terminal (on Windows, a
// console; that one lives in console_win32.cpp).
namespace ppwtool {

bool StandardErrorIsTerminal();

}  // namespace ppwtool

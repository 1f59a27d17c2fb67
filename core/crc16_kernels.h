#pragma once
// The loops behind Crc16Update and ScrambleAndChecksum, apart so that tests can
// hold each against the bitwise definition whatever the processor offers.
#include <cstddef>
#include <cstdint>

namespace tessam::detail {

// Lookup tables, 16 bytes per step: every processor.
std::uint16_t Crc16UpdateSliced(std::uint16_t crc, const std::uint8_t* data, std::size_t length);
std::uint16_t ScrambleAndChecksumSliced(std::uint16_t crc, std::uint8_t key, std::uint8_t* data, std::size_t length);

// Carry-less multiplication folds 64 bytes per step, several times faster than
// the tables (which take shorter ranges and the last few bytes); only where
// FoldingAvailable().
bool FoldingAvailable();
std::uint16_t Crc16UpdateFolded(std::uint16_t crc, const std::uint8_t* data, std::size_t length);
std::uint16_t ScrambleAndChecksumFolded(std::uint16_t crc, std::uint8_t key, std::uint8_t* data, std::size_t length);

}  // namespace tessam::detail

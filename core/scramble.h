#pragma once
// The payload pass: scramble a range in place and checksum the result, in one
// walk over memory, so a 128 MB program image is touched once, not twice.
#include <cstdint>
#include <span>

namespace tessam {

// XORs every byte of `bytes` with `key`, then continues the CRC-16/MODBUS
// register `crc` over the scrambled bytes and returns it. Equal to XOR-ing
// first and calling Crc16Update afterwards; pieces may be fed in any split.
std::uint16_t ScrambleAndChecksum(std::uint16_t crc, std::uint8_t key, std::span<std::uint8_t> bytes);

}  // namespace tessam

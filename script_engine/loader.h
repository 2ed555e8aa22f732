// The compiled-program format: writes a TProgram as a versioned byte string with a checksum, and
// reads one back, refusing anything malformed with a named reason.
#pragma once

#include <string>

#include "script_engine/program.h"

namespace script {

// Format version written in the header; other versions are refused.
constexpr uint16_t kProgramFormatVersion = 2;

std::string WriteProgram(const TProgram& program);
// Reads and validates a program: header, version, checksum, sizes, and every operand of every
// instruction against its routine's frame, constants, routines and layouts. On failure returns
// false with the reason ("truncated program", "bad checksum", ...).
bool ReadProgram(const std::string& bytes, TProgram& out, std::string& reason);

}  // namespace script

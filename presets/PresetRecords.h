// The preset record (one program, 61 bytes) and the bank record (all six programs, 341 bytes):
// the contents of preset and bank files and of the remembered per-user values.
//
// Preset record, packed:            Bank record, packed:
//   0  4  the effect's unique ID      0         4   the effect's unique ID
//   4  1  '!'                         4         1   '7'
//   5 24  program name                5 + 56*i  24  name of program i
//  29 32  eight float values         29 + 56*i  32  eight float values of program i
//
// Records are written in the writing machine's byte order. A reader tells the order from the ID
// field alone: the ID found byte-reversed means every float is reversed too. Names are byte
// strings and never change.
#pragma once

#include "presets/ProgramRecord.h"

#include <cstddef>
#include <cstdint>

inline constexpr size_t kPresetRecordSize = 61;
inline constexpr size_t kBankRecordSize = 341;
inline constexpr unsigned char kPresetTag = '!';
inline constexpr unsigned char kBankTag = '7';

inline constexpr size_t kRecordIdOffset = 0;
inline constexpr size_t kRecordTagOffset = 4;
inline constexpr size_t kRecordProgramsOffset = 5;
static_assert(kRecordProgramsOffset + sizeof(ProgramRecord) == kPresetRecordSize);
static_assert(kRecordProgramsOffset + kNumPresetPrograms * sizeof(ProgramRecord) ==
              kBankRecordSize);

// Offset of program i inside a bank record (its name first, its values 24 bytes later).
constexpr size_t bankProgramOffset(int i)
{
    return kRecordProgramsOffset + static_cast<size_t>(i) * sizeof(ProgramRecord);
}

// Fill a record from the store, in native byte order. The caller hands a zeroed buffer of the
// record's size.
void writePresetRecord(unsigned char* record, int32_t uniqueID, const ProgramRecord& program);
void writeBankRecord(unsigned char* record, int32_t uniqueID, const ProgramRecord* programs);

// Decode a record into `out` when it is acceptable: the ID is the effect's own in either byte
// order and the type byte matches. `reversed` is the user's "endian-reversed" choice: it
// reverses every float once more, after any byte-order correction. Returns false, leaving `out`
// untouched, for a record that is rejected.
bool decodePresetRecord(const unsigned char* record, int32_t uniqueID, bool reversed,
                        ProgramRecord& out);
bool decodeBankRecord(const unsigned char* record, int32_t uniqueID, bool reversed,
                      ProgramRecord (&out)[kNumPresetPrograms]);

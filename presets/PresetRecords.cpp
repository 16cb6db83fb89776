#include "presets/PresetRecords.h"

#include <cstring>

namespace
{
enum class RecordOrder
{
    Rejected,
    Native,
    Foreign
};

// The swapped ID is tested first, so an ID that equals its own reversal counts as foreign.
RecordOrder recordOrder(const unsigned char* record, int32_t uniqueID)
{
    uint32_t id;
    std::memcpy(&id, record + kRecordIdOffset, sizeof id);
    const auto own = static_cast<uint32_t>(uniqueID);
    if (id == byteSwapped32(own)) return RecordOrder::Foreign;
    if (id == own) return RecordOrder::Native;
    return RecordOrder::Rejected;
}

void decodeProgram(const unsigned char* at, bool swapFloats, ProgramRecord& out)
{
    std::memcpy(out.name, at, kProgramNameLength);
    const unsigned char* values = at + offsetof(ProgramRecord, values);
    for (int k = 0; k < kNumProgramValues; ++k)
    {
        unsigned char bytes[4];
        std::memcpy(bytes, values + 4 * k, 4);
        if (swapFloats) byteSwap32(bytes);
        std::memcpy(&out.values[k], bytes, 4);
    }
}

// Decides whether a record is acceptable and whether its floats need one reversal: a foreign
// order and the user's reversal each reverse once, so together they cancel.
bool acceptRecord(const unsigned char* record, int32_t uniqueID, unsigned char tag, bool reversed,
                  bool& swapFloats)
{
    const RecordOrder order = recordOrder(record, uniqueID);
    if (order == RecordOrder::Rejected || record[kRecordTagOffset] != tag) return false;
    swapFloats = (order == RecordOrder::Foreign) != reversed;
    return true;
}

void writeHeader(unsigned char* record, int32_t uniqueID, unsigned char tag)
{
    std::memcpy(record + kRecordIdOffset, &uniqueID, sizeof uniqueID);
    record[kRecordTagOffset] = tag;
}
} // namespace

void writePresetRecord(unsigned char* record, int32_t uniqueID, const ProgramRecord& program)
{
    writeHeader(record, uniqueID, kPresetTag);
    std::memcpy(record + kRecordProgramsOffset, &program, sizeof program);
}

void writeBankRecord(unsigned char* record, int32_t uniqueID, const ProgramRecord* programs)
{
    writeHeader(record, uniqueID, kBankTag);
    for (int i = 0; i < kNumPresetPrograms; ++i)
        std::memcpy(record + bankProgramOffset(i), &programs[i], sizeof(ProgramRecord));
}

bool decodePresetRecord(const unsigned char* record, int32_t uniqueID, bool reversed,
                        ProgramRecord& out)
{
    bool swapFloats = false;
    if (!acceptRecord(record, uniqueID, kPresetTag, reversed, swapFloats)) return false;
    decodeProgram(record + kRecordProgramsOffset, swapFloats, out);
    return true;
}

bool decodeBankRecord(const unsigned char* record, int32_t uniqueID, bool reversed,
                      ProgramRecord (&out)[kNumPresetPrograms])
{
    bool swapFloats = false;
    if (!acceptRecord(record, uniqueID, kBankTag, reversed, swapFloats)) return false;
    for (int i = 0; i < kNumPresetPrograms; ++i)
        decodeProgram(record + bankProgramOffset(i), swapFloats, out[i]);
    return true;
}

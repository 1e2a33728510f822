#pragma once
// Our HID report-descriptor parser: what the Windows HID parser gives from
// "preparsed data" (top-level collections, report lengths, button and value
// capabilities, usages and values out of a report), computed from the raw
// descriptor bytes a hidraw node exposes.
//
// Report byte lengths include the report ID byte, also when the device does
// not number its reports (that byte is then 0), as on Windows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace talmi {

enum class HidReportType { Input = 0, Output = 1, Feature = 2 };
inline constexpr int kHidReportTypeCount = 3;

// Parser status codes, the values the Windows HID parser uses.
inline constexpr int32_t kHidStatusSuccess = 0x00110000;
inline constexpr int32_t kHidStatusNull = static_cast<int32_t>(0x80110001u);
inline constexpr int32_t kHidStatusInvalidReportLength = static_cast<int32_t>(0xC0110003u);
inline constexpr int32_t kHidStatusUsageNotFound = static_cast<int32_t>(0xC0110004u);
inline constexpr int32_t kHidStatusValueOutOfRange = static_cast<int32_t>(0xC0110005u);
inline constexpr int32_t kHidStatusBadLogPhyValues = static_cast<int32_t>(0xC0110006u);
inline constexpr int32_t kHidStatusBufferTooSmall = static_cast<int32_t>(0xC0110007u);
inline constexpr int32_t kHidStatusIncompatibleReportId = static_cast<int32_t>(0xC0110010u);

// Limits: a descriptor beyond them is rejected, never half used.
inline constexpr size_t kHidMaxDescriptorBytes = 4096;   // what hidraw exposes at most
inline constexpr uint32_t kHidMaxReportBytes = 4096;     // per report, without the ID byte
inline constexpr uint32_t kHidMaxReportCount = 4096;     // fields of one main item
inline constexpr uint32_t kHidMaxDataFieldBits = 32;     // one data field
inline constexpr uint32_t kHidMaxPaddingFieldBits = 256; // one constant field
inline constexpr int kHidMaxCollectionDepth = 16;
inline constexpr int kHidMaxGlobalStackDepth = 8;
inline constexpr size_t kHidMaxLocalUsages = 1024;       // usage items before one main item

// Parse results (negative: the descriptor was rejected).
inline constexpr int kHidParseOk = 1;
inline constexpr int kHidParseTruncated = -1;        // an item runs past the end
inline constexpr int kHidParseTooLarge = -2;         // descriptor, report or count too big
inline constexpr int kHidParseUnbalanced = -3;       // collections do not close / close twice
inline constexpr int kHidParseTooDeep = -4;          // collection or push nesting
inline constexpr int kHidParseBadReportId = -5;      // report ID 0, or numbered and unnumbered mixed
inline constexpr int kHidParseBadItem = -6;          // a data item outside any collection, bad size
inline constexpr int kHidParseNoCollection = -7;     // nothing usable

// One usage or usage range as written before a main item.
struct HidUsageRange {
  uint16_t usagePage = 0;
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
};

// One main item (Input/Output/Feature) of a report: where its fields lie.
struct HidField {
  HidReportType type = HidReportType::Input;
  uint8_t reportId = 0;
  uint32_t bitOffset = 0;  // from the first data bit, after the report ID byte
  uint16_t reportSize = 0; // bits per field
  uint16_t reportCount = 0;
  uint32_t flags = 0;      // the main item's data
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
  uint32_t unit = 0;
  int32_t unitExponent = 0;
  uint16_t linkCollection = 0;  // index into the top-level collection's link nodes
  std::vector<HidUsageRange> usages;

  bool IsConstant() const { return (flags & 0x01) != 0; }
  bool IsArray() const { return (flags & 0x02) == 0; }
  bool HasNull() const { return (flags & 0x40) != 0; }
  bool IsButton() const { return IsArray() || reportSize == 1; }
};

struct HidButtonCaps {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  bool isRange = false;
  bool isAlias = false;  // a further usage entry of the same array item
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  uint16_t dataIndexMin = 0;
  uint16_t dataIndexMax = 0;
  uint16_t linkCollection = 0;
  uint32_t field = 0;       // index into HidTopCollection::fields
  uint16_t firstField = 0;  // variable items: first field this cap covers
  uint16_t fieldCount = 0;  // variable items: fields covered; arrays: the item's count
};

struct HidValueCaps {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  bool isRange = false;
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  uint16_t dataIndexMin = 0;
  uint16_t dataIndexMax = 0;
  uint16_t linkCollection = 0;
  uint16_t bitSize = 0;
  uint16_t reportCount = 0;
  bool hasNull = false;
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
  uint32_t unit = 0;
  int32_t unitExponent = 0;
  uint32_t field = 0;
  uint16_t firstField = 0;
};

// A nested collection inside a top-level one (the top-level one is node 0).
struct HidLinkCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t parent = 0;
  uint8_t kind = 0;  // the Collection item's data (1 application, 0 physical, ...)
};

struct HidReportInfo {
  uint8_t id = 0;
  uint16_t byteLength = 0;  // ID byte included
};

struct HidTopCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  std::vector<uint8_t> reportIds;  // every ID the collection uses, ascending
  // Per report type the collection's reports, ascending by ID.
  std::array<std::vector<HidReportInfo>, kHidReportTypeCount> reports;
  // Maximum over the collection's report IDs; 0 when it has no such report.
  std::array<uint16_t, kHidReportTypeCount> reportByteLength{};
  std::array<std::vector<HidButtonCaps>, kHidReportTypeCount> buttonCaps;
  std::array<std::vector<HidValueCaps>, kHidReportTypeCount> valueCaps;
  std::array<uint16_t, kHidReportTypeCount> dataIndexCount{};
  std::vector<HidLinkCollection> linkCollections;
  std::vector<HidField> fields;

  bool HasReportId(HidReportType type, uint8_t id) const;
  // How many usages of a page can be on at once in one report of this type.
  uint32_t MaxUsageListLength(HidReportType type, uint16_t usagePage) const;

  // The pressed button usages of a page in one report (report ID byte first).
  // Usage 0 never counts as pressed.
  [[nodiscard]] int32_t GetUsages(HidReportType type, uint16_t usagePage, const uint8_t* report,
                                  size_t length, std::vector<uint16_t>& usages) const;
  [[nodiscard]] int32_t GetUsageValue(HidReportType type, uint16_t usagePage, uint8_t reportId,
                                      uint16_t usage, const uint8_t* report, size_t length,
                                      uint32_t& value) const;
  [[nodiscard]] int32_t GetScaledUsageValue(HidReportType type, uint16_t usagePage,
                                            uint8_t reportId, uint16_t usage,
                                            const uint8_t* report, size_t length,
                                            int32_t& value) const;

 private:
  const HidValueCaps* FindValue(HidReportType type, uint16_t usagePage, uint8_t reportId,
                                uint16_t usage, uint16_t& fieldIndex) const;
  int32_t CheckReport(HidReportType type, const uint8_t* report, size_t length) const;
};

struct HidReportDescriptor {
  bool numbered = false;  // the device puts a report ID byte before every report
  std::vector<HidTopCollection> collections;
  // Byte length (ID byte included) of each report ID, over the whole
  // descriptor; 0 for an ID that has no report of that type.
  std::array<std::array<uint16_t, 256>, kHidReportTypeCount> reportByteLength{};

  uint16_t ReportByteLength(HidReportType type, uint8_t reportId) const {
    return reportByteLength[static_cast<int>(type)][reportId];
  }
};

// Parses a whole descriptor; kHidParseOk or a negative kHidParse* code (out
// is then left empty).
[[nodiscard]] int ParseHidReportDescriptor(const uint8_t* data, size_t size,
                                           HidReportDescriptor& out);

}  // namespace talmi

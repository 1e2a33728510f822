#include "platform/hid_report_descriptor.h"

#include <algorithm>
#include <limits>

namespace talmi {
namespace {

// Item prefix: bits 0-1 size code, 2-3 type, 4-7 tag.
constexpr uint8_t kLongItemPrefix = 0xFE;
enum ItemType : uint8_t { kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2, kTypeReserved = 3 };

enum MainTag : uint8_t {
  kMainInput = 0x8,
  kMainOutput = 0x9,
  kMainCollection = 0xA,
  kMainFeature = 0xB,
  kMainEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kGlobalUsagePage = 0x0,
  kGlobalLogicalMin = 0x1,
  kGlobalLogicalMax = 0x2,
  kGlobalPhysicalMin = 0x3,
  kGlobalPhysicalMax = 0x4,
  kGlobalUnitExponent = 0x5,
  kGlobalUnit = 0x6,
  kGlobalReportSize = 0x7,
  kGlobalReportId = 0x8,
  kGlobalReportCount = 0x9,
  kGlobalPush = 0xA,
  kGlobalPop = 0xB,
};

enum LocalTag : uint8_t {
  kLocalUsage = 0x0,
  kLocalUsageMin = 0x1,
  kLocalUsageMax = 0x2,
};

// A signed or unsigned item value as written, kept with its size so that the
// sign of a logical maximum can follow its minimum.
struct RawValue {
  uint32_t bits = 0;
  uint8_t bytes = 0;

  int64_t Signed() const {
    switch (bytes) {
      case 1: return static_cast<int8_t>(bits);
      case 2: return static_cast<int16_t>(bits);
      case 4: return static_cast<int32_t>(bits);
      default: return 0;
    }
  }
  int64_t Unsigned() const { return bits; }
};

struct Globals {
  uint16_t usagePage = 0;
  RawValue logicalMin, logicalMax, physicalMin, physicalMax;
  int32_t unitExponent = 0;
  uint32_t unit = 0;
  uint32_t reportSize = 0;
  uint32_t reportId = 0;
  uint32_t reportCount = 0;
};

struct LocalUsage {
  bool hasPage = false;  // a 4-byte usage names its own page
  uint16_t page = 0;
  uint16_t min = 0;
  uint16_t max = 0;
};

struct Locals {
  std::vector<LocalUsage> usages;
  bool hasMin = false;
  LocalUsage pendingMin;

  void Clear() {
    usages.clear();
    hasMin = false;
  }
};

struct OpenCollection {
  size_t top = 0;
  uint16_t link = 0;
};

int32_t ClampToInt32(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

uint16_t ClampToU16(uint32_t v) { return v > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(v); }

// The maximum takes the minimum's signedness, as parsers in the field do:
// "Logical Minimum 0, Logical Maximum 0xFF (1 byte)" means 255, not -1.
void ResolveRange(const RawValue& minRaw, const RawValue& maxRaw, int64_t& min, int64_t& max) {
  min = minRaw.Signed();
  max = min < 0 ? maxRaw.Signed() : maxRaw.Unsigned();
}

bool ExtractBits(const uint8_t* data, size_t dataBytes, uint32_t bitOffset, uint32_t size,
                 uint32_t& out) {
  if (size == 0 || size > 32) return false;
  const uint64_t end = static_cast<uint64_t>(bitOffset) + size;
  if (end > static_cast<uint64_t>(dataBytes) * 8) return false;
  uint32_t value = 0;
  for (uint32_t i = 0; i < size; ++i) {
    const uint32_t bit = bitOffset + i;
    if ((data[bit / 8] >> (bit % 8)) & 1u) value |= 1u << i;
  }
  out = value;
  return true;
}

int64_t SignExtend(uint32_t raw, uint32_t size) {
  if (size == 0 || size >= 32) return static_cast<int32_t>(raw);
  const uint32_t sign = 1u << (size - 1);
  if ((raw & sign) == 0) return raw;
  return static_cast<int64_t>(raw) - (static_cast<int64_t>(1) << size);
}

class Parser {
 public:
  int Run(const uint8_t* data, size_t size, HidReportDescriptor& out);

 private:
  int Item(uint8_t type, uint8_t tag, uint8_t bytes, uint32_t value);
  int Main(uint8_t tag, uint32_t value);
  int Global(uint8_t tag, uint8_t bytes, uint32_t value);
  int Local(uint8_t tag, uint8_t bytes, uint32_t value);
  int BeginCollection(uint32_t value);
  int DataItem(HidReportType type, uint32_t flags);
  void AddCaps(HidTopCollection& top, uint32_t fieldIndex);
  int Finish(HidReportDescriptor& out);

  Globals globals_;
  std::vector<Globals> globalStack_;
  Locals locals_;
  std::vector<OpenCollection> open_;
  std::vector<HidTopCollection> tops_;
  std::array<std::array<uint32_t, 256>, kHidReportTypeCount> bits_{};
  std::array<std::array<bool, 256>, kHidReportTypeCount> present_{};
  bool numberedSeen_ = false;
  bool unnumberedSeen_ = false;
};

int Parser::Run(const uint8_t* data, size_t size, HidReportDescriptor& out) {
  if (data == nullptr && size != 0) return kHidParseTruncated;
  if (size > kHidMaxDescriptorBytes) return kHidParseTooLarge;
  size_t pos = 0;
  while (pos < size) {
    const uint8_t prefix = data[pos++];
    if (prefix == kLongItemPrefix) {
      // Long items carry no meaning for us; skip them whole.
      if (size - pos < 2) return kHidParseTruncated;
      const size_t dataSize = data[pos];
      pos += 2;
      if (size - pos < dataSize) return kHidParseTruncated;
      pos += dataSize;
      continue;
    }
    const uint8_t code = prefix & 0x03;
    const uint8_t bytes = code == 3 ? 4 : code;
    if (size - pos < bytes) return kHidParseTruncated;
    uint32_t value = 0;
    for (uint8_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(data[pos + i]) << (8 * i);
    pos += bytes;
    const int rc = Item((prefix >> 2) & 0x03, prefix >> 4, bytes, value);
    if (rc != kHidParseOk) return rc;
  }
  return Finish(out);
}

int Parser::Item(uint8_t type, uint8_t tag, uint8_t bytes, uint32_t value) {
  switch (type) {
    case kTypeMain: return Main(tag, value);
    case kTypeGlobal: return Global(tag, bytes, value);
    case kTypeLocal: return Local(tag, bytes, value);
    default: return kHidParseOk;  // reserved items are skipped
  }
}

int Parser::Main(uint8_t tag, uint32_t value) {
  int rc = kHidParseOk;
  switch (tag) {
    case kMainCollection: rc = BeginCollection(value); break;
    case kMainEndCollection:
      if (open_.empty()) return kHidParseUnbalanced;
      open_.pop_back();
      break;
    case kMainInput: rc = DataItem(HidReportType::Input, value); break;
    case kMainOutput: rc = DataItem(HidReportType::Output, value); break;
    case kMainFeature: rc = DataItem(HidReportType::Feature, value); break;
    default: break;  // unknown main items only end the local state
  }
  locals_.Clear();
  return rc;
}

int Parser::Global(uint8_t tag, uint8_t bytes, uint32_t value) {
  const RawValue raw{value, bytes};
  switch (tag) {
    case kGlobalUsagePage: globals_.usagePage = static_cast<uint16_t>(value); break;
    case kGlobalLogicalMin: globals_.logicalMin = raw; break;
    case kGlobalLogicalMax: globals_.logicalMax = raw; break;
    case kGlobalPhysicalMin: globals_.physicalMin = raw; break;
    case kGlobalPhysicalMax: globals_.physicalMax = raw; break;
    case kGlobalUnitExponent:
      // A 4-bit two's complement nibble when written in one byte.
      globals_.unitExponent = bytes == 1 && value < 16 ? static_cast<int32_t>(SignExtend(value, 4))
                                                       : static_cast<int32_t>(raw.Signed());
      break;
    case kGlobalUnit: globals_.unit = value; break;
    case kGlobalReportSize: globals_.reportSize = value; break;
    case kGlobalReportId:
      if (value == 0 || value > 0xFF) return kHidParseBadReportId;
      globals_.reportId = value;
      break;
    case kGlobalReportCount: globals_.reportCount = value; break;
    case kGlobalPush:
      if (globalStack_.size() >= static_cast<size_t>(kHidMaxGlobalStackDepth)) {
        return kHidParseTooDeep;
      }
      globalStack_.push_back(globals_);
      break;
    case kGlobalPop:
      if (globalStack_.empty()) return kHidParseUnbalanced;
      globals_ = globalStack_.back();
      globalStack_.pop_back();
      break;
    default: break;
  }
  return kHidParseOk;
}

int Parser::Local(uint8_t tag, uint8_t bytes, uint32_t value) {
  LocalUsage u;
  u.hasPage = bytes == 4;
  u.page = static_cast<uint16_t>(value >> 16);
  const uint16_t id = static_cast<uint16_t>(value);
  switch (tag) {
    case kLocalUsage:
      if (locals_.usages.size() >= kHidMaxLocalUsages) return kHidParseTooLarge;
      u.min = u.max = id;
      locals_.usages.push_back(u);
      break;
    case kLocalUsageMin:
      u.min = id;
      locals_.pendingMin = u;
      locals_.hasMin = true;
      break;
    case kLocalUsageMax:
      // A maximum without its minimum names nothing; it is dropped.
      if (!locals_.hasMin) break;
      if (locals_.usages.size() >= kHidMaxLocalUsages) return kHidParseTooLarge;
      u = locals_.pendingMin;
      u.max = id;
      if (u.max < u.min) return kHidParseBadItem;
      locals_.usages.push_back(u);
      locals_.hasMin = false;
      break;
    default: break;
  }
  return kHidParseOk;
}

int Parser::BeginCollection(uint32_t value) {
  if (open_.size() >= static_cast<size_t>(kHidMaxCollectionDepth)) return kHidParseTooDeep;
  HidLinkCollection node;
  if (!locals_.usages.empty()) {
    const LocalUsage& u = locals_.usages.front();
    node.usagePage = u.hasPage ? u.page : globals_.usagePage;
    node.usage = u.min;
  } else {
    node.usagePage = globals_.usagePage;
  }
  node.kind = static_cast<uint8_t>(value);
  if (open_.empty()) {
    HidTopCollection top;
    top.usagePage = node.usagePage;
    top.usage = node.usage;
    top.linkCollections.push_back(node);
    tops_.push_back(std::move(top));
    open_.push_back({tops_.size() - 1, 0});
    return kHidParseOk;
  }
  HidTopCollection& top = tops_[open_.back().top];
  if (top.linkCollections.size() >= 0xFFFF) return kHidParseTooLarge;
  node.parent = open_.back().link;
  top.linkCollections.push_back(node);
  open_.push_back({open_.back().top, static_cast<uint16_t>(top.linkCollections.size() - 1)});
  return kHidParseOk;
}

int Parser::DataItem(HidReportType type, uint32_t flags) {
  if (open_.empty()) return kHidParseBadItem;
  const bool constant = (flags & 0x01) != 0;
  const uint32_t size = globals_.reportSize;
  const uint32_t count = globals_.reportCount;
  if (count > kHidMaxReportCount) return kHidParseTooLarge;
  if (size > (constant ? kHidMaxPaddingFieldBits : kHidMaxDataFieldBits)) {
    return kHidParseTooLarge;
  }
  if (!constant && size == 0 && count != 0) return kHidParseBadItem;

  const uint8_t id = static_cast<uint8_t>(globals_.reportId);
  (id == 0 ? unnumberedSeen_ : numberedSeen_) = true;
  if (numberedSeen_ && unnumberedSeen_) return kHidParseBadReportId;

  const int t = static_cast<int>(type);
  const uint32_t offset = bits_[t][id];
  const uint64_t total = static_cast<uint64_t>(offset) + static_cast<uint64_t>(size) * count;
  if (total > static_cast<uint64_t>(kHidMaxReportBytes) * 8) return kHidParseTooLarge;
  bits_[t][id] = static_cast<uint32_t>(total);
  present_[t][id] = true;

  HidTopCollection& top = tops_[open_.back().top];
  auto& ids = top.reportIds;
  if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  auto& reports = top.reports[t];
  if (std::none_of(reports.begin(), reports.end(),
                   [id](const HidReportInfo& r) { return r.id == id; })) {
    reports.push_back({id, 0});
  }
  if (constant || count == 0) return kHidParseOk;  // padding: room in the report, no data

  HidField f;
  f.type = type;
  f.reportId = id;
  f.bitOffset = offset;
  f.reportSize = static_cast<uint16_t>(size);
  f.reportCount = static_cast<uint16_t>(count);
  f.flags = flags;
  int64_t lmin = 0, lmax = 0, pmin = 0, pmax = 0;
  ResolveRange(globals_.logicalMin, globals_.logicalMax, lmin, lmax);
  ResolveRange(globals_.physicalMin, globals_.physicalMax, pmin, pmax);
  f.logicalMin = ClampToInt32(lmin);
  f.logicalMax = ClampToInt32(lmax);
  f.physicalMin = ClampToInt32(pmin);
  f.physicalMax = ClampToInt32(pmax);
  f.unit = globals_.unit;
  f.unitExponent = globals_.unitExponent;
  f.linkCollection = open_.back().link;
  for (const LocalUsage& u : locals_.usages) {
    f.usages.push_back({u.hasPage ? u.page : globals_.usagePage, u.min, u.max});
  }
  if (f.usages.empty()) f.usages.push_back({globals_.usagePage, 0, 0});
  top.fields.push_back(std::move(f));
  AddCaps(top, static_cast<uint32_t>(top.fields.size() - 1));
  return kHidParseOk;
}

// One cap per usage entry. A variable item hands its fields out to the
// entries in order; the last single usage takes all fields left over.
void Parser::AddCaps(HidTopCollection& top, uint32_t fieldIndex) {
  const HidField& f = top.fields[fieldIndex];
  const int t = static_cast<int>(f.type);
  uint16_t& dataIndex = top.dataIndexCount[t];
  if (f.IsArray()) {
    bool first = true;
    for (const HidUsageRange& u : f.usages) {
      HidButtonCaps c;
      c.usagePage = u.usagePage;
      c.reportId = f.reportId;
      c.isRange = u.usageMin != u.usageMax;
      c.isAlias = !first;
      c.usageMin = u.usageMin;
      c.usageMax = u.usageMax;
      c.linkCollection = f.linkCollection;
      c.field = fieldIndex;
      c.fieldCount = f.reportCount;
      c.dataIndexMin = dataIndex;
      dataIndex = ClampToU16(static_cast<uint32_t>(dataIndex) + (u.usageMax - u.usageMin) + 1);
      c.dataIndexMax = dataIndex > c.dataIndexMin ? dataIndex - 1 : dataIndex;
      top.buttonCaps[t].push_back(c);
      first = false;
    }
    return;
  }
  uint32_t next = 0;  // first unassigned field
  for (size_t i = 0; i < f.usages.size() && next < f.reportCount; ++i) {
    const HidUsageRange& u = f.usages[i];
    const bool last = i + 1 == f.usages.size();
    const uint32_t left = f.reportCount - next;
    const uint32_t span = static_cast<uint32_t>(u.usageMax - u.usageMin) + 1;
    const bool single = u.usageMin == u.usageMax;
    const uint32_t fields = single ? (last ? left : 1) : std::min(span, left);
    const uint16_t usageMax = single ? u.usageMax : static_cast<uint16_t>(u.usageMin + fields - 1);
    const uint16_t usages = static_cast<uint16_t>(usageMax - u.usageMin + 1);
    const uint16_t indexMin = dataIndex;
    dataIndex = ClampToU16(static_cast<uint32_t>(dataIndex) + usages);
    const uint16_t indexMax = dataIndex > indexMin ? dataIndex - 1 : dataIndex;
    if (f.IsButton()) {
      HidButtonCaps c;
      c.usagePage = u.usagePage;
      c.reportId = f.reportId;
      c.isRange = !single;
      c.usageMin = u.usageMin;
      c.usageMax = usageMax;
      c.linkCollection = f.linkCollection;
      c.field = fieldIndex;
      c.firstField = static_cast<uint16_t>(next);
      c.fieldCount = static_cast<uint16_t>(fields);
      c.dataIndexMin = indexMin;
      c.dataIndexMax = indexMax;
      top.buttonCaps[t].push_back(c);
    } else {
      HidValueCaps c;
      c.usagePage = u.usagePage;
      c.reportId = f.reportId;
      c.isRange = !single;
      c.usageMin = u.usageMin;
      c.usageMax = usageMax;
      c.linkCollection = f.linkCollection;
      c.bitSize = f.reportSize;
      c.reportCount = static_cast<uint16_t>(fields);
      c.hasNull = f.HasNull();
      c.logicalMin = f.logicalMin;
      c.logicalMax = f.logicalMax;
      c.physicalMin = f.physicalMin;
      c.physicalMax = f.physicalMax;
      c.unit = f.unit;
      c.unitExponent = f.unitExponent;
      c.field = fieldIndex;
      c.firstField = static_cast<uint16_t>(next);
      c.dataIndexMin = indexMin;
      c.dataIndexMax = indexMax;
      top.valueCaps[t].push_back(c);
    }
    next += fields;
  }
}

int Parser::Finish(HidReportDescriptor& out) {
  if (!open_.empty()) return kHidParseUnbalanced;
  if (tops_.empty()) return kHidParseNoCollection;
  HidReportDescriptor d;
  d.numbered = numberedSeen_;
  for (int t = 0; t < kHidReportTypeCount; ++t) {
    for (int id = 0; id < 256; ++id) {
      if (!present_[t][id]) continue;
      d.reportByteLength[t][id] = static_cast<uint16_t>(1 + (bits_[t][id] + 7) / 8);
    }
  }
  for (HidTopCollection& top : tops_) {
    std::sort(top.reportIds.begin(), top.reportIds.end());
    for (int t = 0; t < kHidReportTypeCount; ++t) {
      auto& reports = top.reports[t];
      std::sort(reports.begin(), reports.end(),
                [](const HidReportInfo& a, const HidReportInfo& b) { return a.id < b.id; });
      uint16_t longest = 0;
      for (HidReportInfo& r : reports) {
        r.byteLength = d.reportByteLength[t][r.id];
        longest = std::max(longest, r.byteLength);
      }
      top.reportByteLength[t] = longest;
    }
  }
  d.collections = std::move(tops_);
  out = std::move(d);
  return kHidParseOk;
}

}  // namespace

int ParseHidReportDescriptor(const uint8_t* data, size_t size, HidReportDescriptor& out) {
  out = HidReportDescriptor{};
  Parser parser;
  return parser.Run(data, size, out);
}

bool HidTopCollection::HasReportId(HidReportType type, uint8_t id) const {
  const auto& list = reports[static_cast<int>(type)];
  return std::any_of(list.begin(), list.end(), [id](const HidReportInfo& r) { return r.id == id; });
}

uint32_t HidTopCollection::MaxUsageListLength(HidReportType type, uint16_t usagePage) const {
  uint32_t total = 0;
  uint32_t lastArrayField = std::numeric_limits<uint32_t>::max();
  for (const HidButtonCaps& c : buttonCaps[static_cast<int>(type)]) {
    if (c.usagePage != usagePage) continue;
    const HidField& f = fields[c.field];
    if (f.IsArray()) {
      // Aliased entries share the item's fields: count them once.
      if (c.field == lastArrayField) continue;
      lastArrayField = c.field;
    }
    total += c.fieldCount;
  }
  return total;
}

int32_t HidTopCollection::CheckReport(HidReportType type, const uint8_t* report,
                                      size_t length) const {
  if (report == nullptr || length == 0) return kHidStatusInvalidReportLength;
  const auto& list = reports[static_cast<int>(type)];
  const uint8_t id = report[0];
  for (const HidReportInfo& r : list) {
    if (r.id != id) continue;
    return length < r.byteLength ? kHidStatusInvalidReportLength : kHidStatusSuccess;
  }
  return kHidStatusIncompatibleReportId;
}

int32_t HidTopCollection::GetUsages(HidReportType type, uint16_t usagePage, const uint8_t* report,
                                    size_t length, std::vector<uint16_t>& usages) const {
  usages.clear();
  const int32_t status = CheckReport(type, report, length);
  if (status != kHidStatusSuccess) return status;
  const uint8_t* data = report + 1;
  const size_t dataBytes = length - 1;
  for (const HidButtonCaps& c : buttonCaps[static_cast<int>(type)]) {
    if (c.reportId != report[0] || c.isAlias) continue;
    const HidField& f = fields[c.field];
    if (!f.IsArray()) {
      if (c.usagePage != usagePage) continue;
      for (uint16_t k = 0; k < c.fieldCount; ++k) {
        uint32_t bit = 0;
        const uint32_t at = f.bitOffset + static_cast<uint32_t>(c.firstField + k) * f.reportSize;
        if (!ExtractBits(data, dataBytes, at, f.reportSize, bit) || bit == 0) continue;
        const uint16_t usage = c.isRange ? static_cast<uint16_t>(c.usageMin + k) : c.usageMin;
        if (usage != 0) usages.push_back(usage);
      }
      continue;
    }
    // An array item: each field holds an index into the item's usage list.
    for (uint16_t k = 0; k < f.reportCount; ++k) {
      uint32_t raw = 0;
      if (!ExtractBits(data, dataBytes, f.bitOffset + static_cast<uint32_t>(k) * f.reportSize,
                       f.reportSize, raw)) {
        continue;
      }
      const int64_t v = f.logicalMin < 0 ? SignExtend(raw, f.reportSize) : raw;
      if (v < f.logicalMin || v > f.logicalMax) continue;
      int64_t index = v - f.logicalMin;
      for (const HidUsageRange& u : f.usages) {
        const int64_t span = static_cast<int64_t>(u.usageMax - u.usageMin) + 1;
        if (index >= span) {
          index -= span;
          continue;
        }
        const uint16_t usage = static_cast<uint16_t>(u.usageMin + index);
        if (u.usagePage == usagePage && usage != 0) usages.push_back(usage);
        break;
      }
    }
  }
  return kHidStatusSuccess;
}

const HidValueCaps* HidTopCollection::FindValue(HidReportType type, uint16_t usagePage,
                                                uint8_t reportId, uint16_t usage,
                                                uint16_t& fieldIndex) const {
  for (const HidValueCaps& c : valueCaps[static_cast<int>(type)]) {
    if (c.reportId != reportId || c.usagePage != usagePage) continue;
    if (usage < c.usageMin || usage > c.usageMax) continue;
    fieldIndex = static_cast<uint16_t>(c.firstField + (c.isRange ? usage - c.usageMin : 0));
    return &c;
  }
  return nullptr;
}

int32_t HidTopCollection::GetUsageValue(HidReportType type, uint16_t usagePage, uint8_t reportId,
                                        uint16_t usage, const uint8_t* report, size_t length,
                                        uint32_t& value) const {
  value = 0;
  const int32_t status = CheckReport(type, report, length);
  if (status != kHidStatusSuccess) return status;
  if (report[0] != reportId) return kHidStatusIncompatibleReportId;
  uint16_t index = 0;
  const HidValueCaps* c = FindValue(type, usagePage, reportId, usage, index);
  if (c == nullptr) return kHidStatusUsageNotFound;
  const HidField& f = fields[c->field];
  const uint32_t at = f.bitOffset + static_cast<uint32_t>(index) * f.reportSize;
  if (!ExtractBits(report + 1, length - 1, at, f.reportSize, value)) {
    return kHidStatusInvalidReportLength;
  }
  return kHidStatusSuccess;
}

int32_t HidTopCollection::GetScaledUsageValue(HidReportType type, uint16_t usagePage,
                                              uint8_t reportId, uint16_t usage,
                                              const uint8_t* report, size_t length,
                                              int32_t& value) const {
  value = 0;
  uint32_t raw = 0;
  const int32_t status = GetUsageValue(type, usagePage, reportId, usage, report, length, raw);
  if (status != kHidStatusSuccess) return status;
  uint16_t index = 0;
  const HidValueCaps* c = FindValue(type, usagePage, reportId, usage, index);
  const int64_t lmin = c->logicalMin, lmax = c->logicalMax;
  int64_t pmin = c->physicalMin, pmax = c->physicalMax;
  if (pmin == 0 && pmax == 0) {
    pmin = lmin;
    pmax = lmax;
  }
  if (lmin >= lmax || pmin > pmax) return kHidStatusBadLogPhyValues;
  const int64_t v = lmin < 0 ? SignExtend(raw, c->bitSize) : raw;
  if (v < lmin || v > lmax) return c->hasNull ? kHidStatusNull : kHidStatusValueOutOfRange;
  value = ClampToInt32((v - lmin) * (pmax - pmin) / (lmax - lmin) + pmin);
  return kHidStatusSuccess;
}

}  // namespace talmi

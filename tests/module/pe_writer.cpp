#include "module/pe_writer.h"

#include <algorithm>
#include <map>

namespace tuxia::test {
namespace {

constexpr std::uint32_t kSizeOfHeaders = 0x400;
constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kSlotsPerModule = 16;

std::uint32_t AlignUp(std::uint32_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// Writes into a section's content at an RVA, growing it as needed.
class SectionBytes {
 public:
  explicit SectionBytes(std::uint32_t rva) : rva_(rva) {}
  void Put16(std::uint32_t rva, std::uint16_t value) { put16(Grow(rva, 2), rva - rva_, value); }
  void Put32(std::uint32_t rva, std::uint32_t value) { put32(Grow(rva, 4), rva - rva_, value); }
  // Writes `text` and its zero byte; gives the RVA just after.
  std::uint32_t PutString(std::uint32_t rva, const std::string& text) {
    Bytes& bytes = Grow(rva, static_cast<std::uint32_t>(text.size()) + 1);
    std::copy(text.begin(), text.end(), bytes.begin() + (rva - rva_));
    return rva + static_cast<std::uint32_t>(text.size()) + 1;
  }
  Bytes take() { return std::move(bytes_); }

 private:
  Bytes& Grow(std::uint32_t rva, std::uint32_t length) {
    if (bytes_.size() < rva - rva_ + length) bytes_.resize(rva - rva_ + length);
    return bytes_;
  }
  std::uint32_t rva_;
  Bytes bytes_;
};

}  // namespace

void put16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes.at(offset) = static_cast<std::uint8_t>(value);
  bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void put32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  put16(bytes, offset, static_cast<std::uint16_t>(value));
  put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t get32(const Bytes& bytes, std::size_t offset) {
  return bytes.at(offset) | bytes.at(offset + 1) << 8 | bytes.at(offset + 2) << 16 |
         std::uint32_t{bytes.at(offset + 3)} << 24;
}

Bytes Le32(std::uint32_t value) {
  Bytes bytes(4);
  put32(bytes, 0, value);
  return bytes;
}

ImageWriter& ImageWriter::ImageBase(std::uint32_t base) {
  imageBase_ = base;
  return *this;
}

ImageWriter& ImageWriter::Characteristics(std::uint16_t flags) {
  characteristics_ = flags;
  return *this;
}

ImageWriter& ImageWriter::Code(Bytes code) {
  code_ = std::move(code);
  return *this;
}

ImageWriter& ImageWriter::Data(Bytes data) {
  data_ = std::move(data);
  return *this;
}

std::uint32_t ImageWriter::Import(const std::string& module, const std::string& function) {
  return AddImport(module, function);
}

std::uint32_t ImageWriter::ImportOrdinal(const std::string& module, std::uint16_t ordinal) {
  return AddImport(module, ordinal);
}

std::uint32_t ImageWriter::AddImport(const std::string& module,
                                     std::variant<std::string, std::uint16_t> function) {
  auto found = std::find_if(imports_.begin(), imports_.end(),
                            [&module](const Module& m) { return m.name == module; });
  if (found == imports_.end()) found = imports_.insert(imports_.end(), Module{module, {}});
  found->functions.push_back(std::move(function));
  const auto index = static_cast<std::uint32_t>(found - imports_.begin());
  return kIatRva +
         4 * (kSlotsPerModule * index + static_cast<std::uint32_t>(found->functions.size() - 1));
}

ImageWriter& ImageWriter::Export(const std::string& name, std::uint32_t rva) {
  exports_.emplace_back(name, rva);
  return *this;
}

ImageWriter& ImageWriter::Relocation(std::uint32_t rva, std::uint16_t type) {
  relocations_.emplace_back(rva, type);
  return *this;
}

Bytes ImageWriter::ImportSection() const {
  SectionBytes rdata(kIatRva);
  std::uint32_t names = kImportsRva + 20 * static_cast<std::uint32_t>(imports_.size() + 1);
  for (std::uint32_t m = 0; m < imports_.size(); ++m) {
    const std::uint32_t iat = kIatRva + 4 * kSlotsPerModule * m;
    rdata.Put32(kImportsRva + 20 * m + 12, names);  // Name
    rdata.Put32(kImportsRva + 20 * m + 16, iat);    // FirstThunk
    names = rdata.PutString(names, imports_[m].name);
    for (std::uint32_t k = 0; k < imports_[m].functions.size(); ++k) {
      const auto& function = imports_[m].functions[k];
      if (const auto* ordinal = std::get_if<std::uint16_t>(&function)) {
        rdata.Put32(iat + 4 * k, 0x80000000u | *ordinal);
        continue;
      }
      names = AlignUp(names, 2);
      rdata.Put32(iat + 4 * k, names);
      rdata.Put16(names, 0);  // Hint
      names = rdata.PutString(names + 2, std::get<std::string>(function));
    }
  }
  rdata.Put32(kImportsRva + 20 * static_cast<std::uint32_t>(imports_.size()) + 16, 0);
  if (exports_.empty()) return rdata.take();

  const auto count = static_cast<std::uint32_t>(exports_.size());
  const std::uint32_t functions = kExportsRva + 40;
  const std::uint32_t namePointers = functions + 4 * count;
  const std::uint32_t ordinals = namePointers + 4 * count;
  std::uint32_t strings = ordinals + 2 * count;
  rdata.Put32(kExportsRva + 12, strings);  // Name
  strings = rdata.PutString(strings, "test.dll");
  rdata.Put32(kExportsRva + 16, 1);  // Base
  rdata.Put32(kExportsRva + exports::NumberOfFunctions, count);
  rdata.Put32(kExportsRva + exports::NumberOfNames, count);
  rdata.Put32(kExportsRva + 28, functions);
  rdata.Put32(kExportsRva + exports::AddressOfNames, namePointers);
  rdata.Put32(kExportsRva + 36, ordinals);
  std::vector<std::uint32_t> byName(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    byName[i] = i;
    rdata.Put32(functions + 4 * i, exports_[i].second);
  }
  std::sort(byName.begin(), byName.end(), [this](std::uint32_t a, std::uint32_t b) {
    return exports_[a].first < exports_[b].first;
  });
  for (std::uint32_t i = 0; i < count; ++i) {
    rdata.Put32(namePointers + 4 * i, strings);
    rdata.Put16(ordinals + 2 * i, static_cast<std::uint16_t>(byName[i]));
    strings = rdata.PutString(strings, exports_[byName[i]].first);
  }
  return rdata.take();
}

Bytes ImageWriter::RelocationSection() const {
  std::map<std::uint32_t, std::vector<std::uint16_t>> pages;
  for (const auto& [rva, type] : relocations_) {
    pages[rva & ~0xFFFu].push_back(static_cast<std::uint16_t>(type << 12 | (rva & 0xFFF)));
  }
  SectionBytes reloc(kRelocRva);
  std::uint32_t at = kRelocRva;
  for (auto& [page, entries] : pages) {
    if (entries.size() % 2 != 0) entries.push_back(0);  // blocks end on 4 bytes, as linkers pad
    const auto size = static_cast<std::uint32_t>(8 + 2 * entries.size());
    reloc.Put32(at, page);
    reloc.Put32(at + 4, size);
    for (std::uint32_t i = 0; i < entries.size(); ++i) reloc.Put16(at + 8 + 2 * i, entries[i]);
    at += size;
  }
  return reloc.take();
}

std::vector<ImageWriter::Section> ImageWriter::Sections() const {
  std::vector<Section> sections = {{".text", kTextRva, code_, 0x60000020}};
  if (!imports_.empty() || !exports_.empty()) {
    sections.push_back({".rdata", kIatRva, ImportSection(), 0x40000040});
  }
  if (!data_.empty()) sections.push_back({".data", kDataRva, data_, 0xC0000040});
  if (!relocations_.empty()) {
    sections.push_back({".reloc", kRelocRva, RelocationSection(), 0x42000040});
  }
  return sections;
}

std::uint32_t ImageWriter::FileOffset(std::uint32_t rva) const {
  std::uint32_t file = kSizeOfHeaders;
  for (const Section& s : Sections()) {
    if (rva >= s.rva && rva < s.rva + kSectionAlignment) return file + (rva - s.rva);
    file += AlignUp(static_cast<std::uint32_t>(s.content.size()), kFileAlignment);
  }
  return 0;
}

Bytes ImageWriter::Build() const {
  const std::vector<Section> sections = Sections();
  Bytes image(kSizeOfHeaders);
  put16(image, 0, 0x5A4D);  // "MZ"
  put32(image, 0x3C, kLfanew);
  const std::uint32_t h = kLfanew;
  put32(image, h + nt::Signature, 0x00004550);
  put16(image, h + 4, 0x014C);  // Machine: i386
  put16(image, h + nt::NumberOfSections, static_cast<std::uint16_t>(sections.size()));
  put16(image, h + nt::SizeOfOptionalHeader, 224);
  put16(image, h + nt::Characteristics, characteristics_);
  put16(image, h + nt::Magic, 0x010B);
  put32(image, h + nt::AddressOfEntryPoint, kTextRva);
  put32(image, h + nt::ImageBase, imageBase_);
  put32(image, h + nt::SectionAlignment, kSectionAlignment);
  put32(image, h + 24 + 36, kFileAlignment);
  put32(image, h + 24 + 56, kRelocRva + kSectionAlignment);  // SizeOfImage
  put32(image, h + nt::SizeOfHeaders, kSizeOfHeaders);
  put16(image, h + 24 + 68, 2);   // Subsystem: GUI
  put32(image, h + 24 + 92, 16);  // NumberOfRvaAndSizes
  const auto directory = [&](std::uint32_t entry, std::uint32_t rva, std::uint32_t size) {
    put32(image, h + nt::DataDirectory + 8 * entry, rva);
    put32(image, h + nt::DataDirectory + 8 * entry + 4, size);
  };
  for (const Section& s : sections) {
    if (s.rva == kIatRva && !imports_.empty()) {
      directory(1, kImportsRva, 20 * static_cast<std::uint32_t>(imports_.size() + 1));
    }
    if (s.rva == kIatRva && !exports_.empty()) {
      directory(0, kExportsRva,
                static_cast<std::uint32_t>(s.content.size()) - (kExportsRva - kIatRva));
    }
    if (s.rva == kRelocRva) directory(5, kRelocRva, static_cast<std::uint32_t>(s.content.size()));
  }
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const Section& s = sections[i];
    const std::size_t header = h + nt::SectionTable + 40 * i;
    const auto file = static_cast<std::uint32_t>(image.size());
    const std::uint32_t raw = AlignUp(static_cast<std::uint32_t>(s.content.size()), kFileAlignment);
    std::copy(s.name, s.name + std::char_traits<char>::length(s.name), image.begin() + header);
    put32(image, header + section::VirtualSize, static_cast<std::uint32_t>(s.content.size()));
    put32(image, header + section::VirtualAddress, s.rva);
    put32(image, header + section::SizeOfRawData, raw);
    put32(image, header + section::PointerToRawData, file);
    put32(image, header + 36, s.characteristics);
    image.insert(image.end(), s.content.begin(), s.content.end());
    image.resize(file + raw);
  }
  return image;
}

}  // namespace tuxia::test

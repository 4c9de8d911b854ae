#include "module/pe_format.h"

#include <algorithm>

namespace tuxia {
namespace {

// Reads little-endian fields one after another from a record whose size the caller checked.
class FieldReader {
 public:
  explicit FieldReader(const std::uint8_t* bytes) : bytes_(bytes) {}
  std::uint8_t U8() { return bytes_[at_++]; }
  std::uint16_t U16() {
    const std::uint16_t value = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return value;
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | std::uint32_t{U16()} << 16;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t at_ = 0;
};

IMAGE_FILE_HEADER ReadFileHeader(FieldReader& r) {
  IMAGE_FILE_HEADER h{};
  h.Machine = r.U16();
  h.NumberOfSections = r.U16();
  h.TimeDateStamp = r.U32();
  h.PointerToSymbolTable = r.U32();
  h.NumberOfSymbols = r.U32();
  h.SizeOfOptionalHeader = r.U16();
  h.Characteristics = r.U16();
  return h;
}

IMAGE_OPTIONAL_HEADER32 ReadOptionalHeader(FieldReader& r) {
  IMAGE_OPTIONAL_HEADER32 h{};
  h.Magic = r.U16();
  h.MajorLinkerVersion = r.U8();
  h.MinorLinkerVersion = r.U8();
  h.SizeOfCode = r.U32();
  h.SizeOfInitializedData = r.U32();
  h.SizeOfUninitializedData = r.U32();
  h.AddressOfEntryPoint = r.U32();
  h.BaseOfCode = r.U32();
  h.BaseOfData = r.U32();
  h.ImageBase = r.U32();
  h.SectionAlignment = r.U32();
  h.FileAlignment = r.U32();
  h.MajorOperatingSystemVersion = r.U16();
  h.MinorOperatingSystemVersion = r.U16();
  h.MajorImageVersion = r.U16();
  h.MinorImageVersion = r.U16();
  h.MajorSubsystemVersion = r.U16();
  h.MinorSubsystemVersion = r.U16();
  h.Win32VersionValue = r.U32();
  h.SizeOfImage = r.U32();
  h.SizeOfHeaders = r.U32();
  h.CheckSum = r.U32();
  h.Subsystem = r.U16();
  h.DllCharacteristics = r.U16();
  h.SizeOfStackReserve = r.U32();
  h.SizeOfStackCommit = r.U32();
  h.SizeOfHeapReserve = r.U32();
  h.SizeOfHeapCommit = r.U32();
  h.LoaderFlags = r.U32();
  h.NumberOfRvaAndSizes = r.U32();
  for (IMAGE_DATA_DIRECTORY& d : h.DataDirectory) {
    d.VirtualAddress = r.U32();
    d.Size = r.U32();
  }
  return h;
}

}  // namespace

IMAGE_DOS_HEADER DecodeDosHeader(std::span<const std::uint8_t, kDosHeaderSize> bytes) {
  FieldReader r(bytes.data());
  IMAGE_DOS_HEADER h{};
  for (std::uint16_t* field :
       {&h.e_magic, &h.e_cblp, &h.e_cp, &h.e_crlc, &h.e_cparhdr, &h.e_minalloc, &h.e_maxalloc,
        &h.e_ss, &h.e_sp, &h.e_csum, &h.e_ip, &h.e_cs, &h.e_lfarlc, &h.e_ovno}) {
    *field = r.U16();
  }
  for (std::uint16_t& word : h.e_res) word = r.U16();
  h.e_oemid = r.U16();
  h.e_oeminfo = r.U16();
  for (std::uint16_t& word : h.e_res2) word = r.U16();
  h.e_lfanew = static_cast<std::int32_t>(r.U32());
  return h;
}

IMAGE_NT_HEADERS32 DecodeNtHeaders(std::span<const std::uint8_t, kNtHeadersSize> bytes) {
  FieldReader r(bytes.data());
  IMAGE_NT_HEADERS32 h{};
  h.Signature = r.U32();
  h.FileHeader = ReadFileHeader(r);
  h.OptionalHeader = ReadOptionalHeader(r);
  return h;
}

IMAGE_SECTION_HEADER DecodeSectionHeader(std::span<const std::uint8_t, kSectionHeaderSize> bytes) {
  FieldReader r(bytes.data());
  IMAGE_SECTION_HEADER h{};
  for (std::uint8_t& c : h.Name) c = r.U8();
  h.VirtualSize = r.U32();
  h.VirtualAddress = r.U32();
  h.SizeOfRawData = r.U32();
  h.PointerToRawData = r.U32();
  h.PointerToRelocations = r.U32();
  h.PointerToLinenumbers = r.U32();
  h.NumberOfRelocations = r.U16();
  h.NumberOfLinenumbers = r.U16();
  h.Characteristics = r.U32();
  return h;
}

IMAGE_IMPORT_DESCRIPTOR DecodeImportDescriptor(
    std::span<const std::uint8_t, kImportDescriptorSize> bytes) {
  FieldReader r(bytes.data());
  IMAGE_IMPORT_DESCRIPTOR d{};
  d.OriginalFirstThunk = r.U32();
  d.TimeDateStamp = r.U32();
  d.ForwarderChain = r.U32();
  d.Name = r.U32();
  d.FirstThunk = r.U32();
  return d;
}

IMAGE_EXPORT_DIRECTORY DecodeExportDirectory(
    std::span<const std::uint8_t, kExportDirectorySize> bytes) {
  FieldReader r(bytes.data());
  IMAGE_EXPORT_DIRECTORY d{};
  d.Characteristics = r.U32();
  d.TimeDateStamp = r.U32();
  d.MajorVersion = r.U16();
  d.MinorVersion = r.U16();
  d.Name = r.U32();
  d.Base = r.U32();
  d.NumberOfFunctions = r.U32();
  d.NumberOfNames = r.U32();
  d.AddressOfFunctions = r.U32();
  d.AddressOfNames = r.U32();
  d.AddressOfNameOrdinals = r.U32();
  return d;
}

std::optional<std::uint16_t> ImageBytes::Read16(std::uint64_t offset) const {
  const auto record = Record<2>(offset);
  if (!record) return std::nullopt;
  return FieldReader(record->data()).U16();
}

std::optional<std::uint32_t> ImageBytes::Read32(std::uint64_t offset) const {
  const auto record = Record<4>(offset);
  if (!record) return std::nullopt;
  return FieldReader(record->data()).U32();
}

bool ImageBytes::Write32(std::uint64_t offset, std::uint32_t value) {
  if (!Contains(offset, 4)) return false;
  for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  return true;
}

std::optional<std::string_view> ImageBytes::String(std::uint64_t offset) const {
  if (offset >= bytes_.size()) return std::nullopt;
  const auto begin = bytes_.begin() + static_cast<std::ptrdiff_t>(offset);
  const auto end = std::find(begin, bytes_.end(), std::uint8_t{0});
  if (end == bytes_.end()) return std::nullopt;
  return std::string_view(reinterpret_cast<const char*>(&*begin),
                          static_cast<std::size_t>(end - begin));
}

}  // namespace tuxia

#pragma once
// The PE32 records the in-memory loader reads, with their published names, and checked
// little-endian access to image bytes. Records are decoded field by field, so the host's byte
// order and padding never matter.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tuxia {

inline constexpr std::uint16_t IMAGE_DOS_SIGNATURE = 0x5A4D;     // "MZ"
inline constexpr std::uint32_t IMAGE_NT_SIGNATURE = 0x00004550;  // "PE\0\0"
inline constexpr std::uint16_t IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002;
inline constexpr std::uint16_t IMAGE_FILE_DLL = 0x2000;
inline constexpr std::uint16_t IMAGE_SIZEOF_NT_OPTIONAL32_HEADER = 224;
inline constexpr std::uint32_t IMAGE_NUMBEROF_DIRECTORY_ENTRIES = 16;
inline constexpr std::uint32_t IMAGE_DIRECTORY_ENTRY_EXPORT = 0;
inline constexpr std::uint32_t IMAGE_DIRECTORY_ENTRY_IMPORT = 1;
inline constexpr std::uint32_t IMAGE_DIRECTORY_ENTRY_BASERELOC = 5;
inline constexpr std::uint16_t IMAGE_REL_BASED_ABSOLUTE = 0;
inline constexpr std::uint16_t IMAGE_REL_BASED_HIGHLOW = 3;
inline constexpr std::uint32_t IMAGE_ORDINAL_FLAG32 = 0x80000000;
inline constexpr std::uint32_t DLL_PROCESS_DETACH = 0;
inline constexpr std::uint32_t DLL_PROCESS_ATTACH = 1;

// Record sizes in the image.
inline constexpr std::uint32_t kDosHeaderSize = 64;
inline constexpr std::uint32_t kNtHeadersSize = 248;
inline constexpr std::uint32_t kSectionHeaderSize = 40;
inline constexpr std::uint32_t kImportDescriptorSize = 20;
inline constexpr std::uint32_t kBaseRelocationSize = 8;
inline constexpr std::uint32_t kExportDirectorySize = 40;

struct IMAGE_DOS_HEADER {
  std::uint16_t e_magic, e_cblp, e_cp, e_crlc, e_cparhdr, e_minalloc, e_maxalloc, e_ss, e_sp,
      e_csum, e_ip, e_cs, e_lfarlc, e_ovno;
  std::uint16_t e_res[4];
  std::uint16_t e_oemid, e_oeminfo;
  std::uint16_t e_res2[10];
  std::int32_t e_lfanew;
};

struct IMAGE_FILE_HEADER {
  std::uint16_t Machine, NumberOfSections;
  std::uint32_t TimeDateStamp, PointerToSymbolTable, NumberOfSymbols;
  std::uint16_t SizeOfOptionalHeader, Characteristics;
};

struct IMAGE_DATA_DIRECTORY {
  std::uint32_t VirtualAddress, Size;
};

struct IMAGE_OPTIONAL_HEADER32 {
  std::uint16_t Magic;
  std::uint8_t MajorLinkerVersion, MinorLinkerVersion;
  std::uint32_t SizeOfCode, SizeOfInitializedData, SizeOfUninitializedData, AddressOfEntryPoint,
      BaseOfCode, BaseOfData, ImageBase, SectionAlignment, FileAlignment;
  std::uint16_t MajorOperatingSystemVersion, MinorOperatingSystemVersion, MajorImageVersion,
      MinorImageVersion, MajorSubsystemVersion, MinorSubsystemVersion;
  std::uint32_t Win32VersionValue, SizeOfImage, SizeOfHeaders, CheckSum;
  std::uint16_t Subsystem, DllCharacteristics;
  std::uint32_t SizeOfStackReserve, SizeOfStackCommit, SizeOfHeapReserve, SizeOfHeapCommit,
      LoaderFlags, NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};

struct IMAGE_NT_HEADERS32 {
  std::uint32_t Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER32 OptionalHeader;
};

struct IMAGE_SECTION_HEADER {
  std::uint8_t Name[8];
  std::uint32_t VirtualSize;  // Misc.VirtualSize
  std::uint32_t VirtualAddress, SizeOfRawData, PointerToRawData, PointerToRelocations,
      PointerToLinenumbers;
  std::uint16_t NumberOfRelocations, NumberOfLinenumbers;
  std::uint32_t Characteristics;
};

struct IMAGE_IMPORT_DESCRIPTOR {
  std::uint32_t OriginalFirstThunk, TimeDateStamp, ForwarderChain, Name, FirstThunk;
};

struct IMAGE_BASE_RELOCATION {
  std::uint32_t VirtualAddress, SizeOfBlock;
};

struct IMAGE_EXPORT_DIRECTORY {
  std::uint32_t Characteristics, TimeDateStamp;
  std::uint16_t MajorVersion, MinorVersion;
  std::uint32_t Name, Base, NumberOfFunctions, NumberOfNames, AddressOfFunctions, AddressOfNames,
      AddressOfNameOrdinals;
};

// Each takes exactly the record's bytes.
IMAGE_DOS_HEADER DecodeDosHeader(std::span<const std::uint8_t, kDosHeaderSize> bytes);
IMAGE_NT_HEADERS32 DecodeNtHeaders(std::span<const std::uint8_t, kNtHeadersSize> bytes);
IMAGE_SECTION_HEADER DecodeSectionHeader(std::span<const std::uint8_t, kSectionHeaderSize> bytes);
IMAGE_IMPORT_DESCRIPTOR DecodeImportDescriptor(
    std::span<const std::uint8_t, kImportDescriptorSize> bytes);
IMAGE_EXPORT_DIRECTORY DecodeExportDirectory(
    std::span<const std::uint8_t, kExportDirectorySize> bytes);

// The `length` bytes at `offset` of `bytes`, or nothing when they do not all lie inside.
template <std::size_t length>
std::optional<std::span<const std::uint8_t, length>> RecordAt(std::span<const std::uint8_t> bytes,
                                                              std::uint64_t offset) {
  if (offset > bytes.size() || length > bytes.size() - offset) return std::nullopt;
  return std::span<const std::uint8_t, length>(bytes.data() + offset, length);
}

// Checked access to the bytes of one image, by offset (an RVA in a mapped image). Every read or
// write that would leave the bytes fails.
class ImageBytes {
 public:
  explicit ImageBytes(std::span<std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  bool Contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  template <std::size_t length>
  std::optional<std::span<const std::uint8_t, length>> Record(std::uint64_t offset) const {
    return RecordAt<length>(bytes_, offset);
  }
  std::optional<std::uint16_t> Read16(std::uint64_t offset) const;
  std::optional<std::uint32_t> Read32(std::uint64_t offset) const;
  bool Write32(std::uint64_t offset, std::uint32_t value);
  // The zero-terminated string at `offset`, when its zero byte lies inside the image.
  std::optional<std::string_view> String(std::uint64_t offset) const;

 private:
  std::span<std::uint8_t> bytes_;
};

}  // namespace tuxia

#pragma once
// A small writer of PE32 images for the loader's tests. The layout is fixed so that tests know
// every address in advance: headers in the first 0x400 bytes, then .text (RVA 0x1000), .rdata
// (0x2000: import address tables, then import descriptors and names at 0x2400, exports at
// 0x2800), .data (0x3000) and .reloc (0x4000); a section without content is left out. Tests
// change single fields of a built image with put16/put32 at the named offsets below.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "text/types.h"

namespace tuxia::test {

inline constexpr std::uint32_t kLfanew = 0x40;  // where the writer puts the NT headers
inline constexpr std::uint32_t kTextRva = 0x1000;
inline constexpr std::uint32_t kIatRva = 0x2000;
inline constexpr std::uint32_t kImportsRva = 0x2400;
inline constexpr std::uint32_t kExportsRva = 0x2800;
inline constexpr std::uint32_t kDataRva = 0x3000;
inline constexpr std::uint32_t kRelocRva = 0x4000;

// Field offsets from the start of the NT headers.
namespace nt {
inline constexpr std::uint32_t Signature = 0;
inline constexpr std::uint32_t NumberOfSections = 4 + 2;
inline constexpr std::uint32_t SizeOfOptionalHeader = 4 + 16;
inline constexpr std::uint32_t Characteristics = 4 + 18;
inline constexpr std::uint32_t Magic = 24;
inline constexpr std::uint32_t AddressOfEntryPoint = 24 + 16;
inline constexpr std::uint32_t ImageBase = 24 + 28;
inline constexpr std::uint32_t SectionAlignment = 24 + 32;
inline constexpr std::uint32_t SizeOfHeaders = 24 + 60;
inline constexpr std::uint32_t DataDirectory = 24 + 96;  // 8 bytes per entry
inline constexpr std::uint32_t SectionTable = 248;
}  // namespace nt

// Field offsets inside one 40-byte section header.
namespace section {
inline constexpr std::uint32_t VirtualSize = 8;
inline constexpr std::uint32_t VirtualAddress = 12;
inline constexpr std::uint32_t SizeOfRawData = 16;
inline constexpr std::uint32_t PointerToRawData = 20;
}  // namespace section

// Field offsets inside the export directory.
namespace exports {
inline constexpr std::uint32_t NumberOfFunctions = 20;
inline constexpr std::uint32_t NumberOfNames = 24;
inline constexpr std::uint32_t AddressOfNames = 32;
}  // namespace exports

inline constexpr std::uint16_t kFileExecutable = 0x0002;
inline constexpr std::uint16_t kFile32Bit = 0x0100;
inline constexpr std::uint16_t kFileDll = 0x2000;

void put16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void put32(Bytes& bytes, std::size_t offset, std::uint32_t value);
std::uint32_t get32(const Bytes& bytes, std::size_t offset);
Bytes Le32(std::uint32_t value);

class ImageWriter {
 public:
  ImageWriter& ImageBase(std::uint32_t base);
  ImageWriter& Characteristics(std::uint16_t flags);  // executable, 32-bit words and DLL by default
  ImageWriter& Code(Bytes code);                      // the entry point is its first byte
  ImageWriter& Data(Bytes data);
  // The RVA of the import address table slot that the loader fills for this function.
  std::uint32_t Import(const std::string& module, const std::string& function);
  std::uint32_t ImportOrdinal(const std::string& module, std::uint16_t ordinal);
  // Function table entries in call order; names sorted as linkers store them, so the index of a
  // name and of its function differ in general.
  ImageWriter& Export(const std::string& name, std::uint32_t rva);
  ImageWriter& Relocation(std::uint32_t rva, std::uint16_t type = 3);

  std::uint32_t imageBase() const { return imageBase_; }
  Bytes Build() const;
  // Where the bytes of an RVA lie in the built file.
  std::uint32_t FileOffset(std::uint32_t rva) const;

 private:
  struct Module {
    std::string name;
    std::vector<std::variant<std::string, std::uint16_t>> functions;
  };
  struct Section {
    const char* name;
    std::uint32_t rva;
    Bytes content;
    std::uint32_t characteristics;
  };
  std::uint32_t AddImport(const std::string& module,
                          std::variant<std::string, std::uint16_t> function);
  Bytes ImportSection() const;
  Bytes RelocationSection() const;
  std::vector<Section> Sections() const;

  std::uint32_t imageBase_ = 0x10000000;
  std::uint16_t characteristics_ = kFileExecutable | kFile32Bit | kFileDll;
  Bytes code_ = {0xB8, 0x01, 0x00, 0x00, 0x00, 0xC2, 0x0C, 0x00};  // mov eax, 1; ret 12
  Bytes data_;
  std::vector<Module> imports_;
  std::vector<std::pair<std::string, std::uint32_t>> exports_;
  std::vector<std::pair<std::uint32_t, std::uint16_t>> relocations_;
};

}  // namespace tuxia::test

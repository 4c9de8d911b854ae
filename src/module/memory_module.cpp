#include "module/memory_module.h"

#include <algorithm>
#include <limits>

#include "platform/guest.h"
#include "platform/guest_modules.h"

namespace tuxia {
namespace {

const IMAGE_DATA_DIRECTORY& Directory(const IMAGE_NT_HEADERS32& headers, std::uint32_t entry) {
  return headers.OptionalHeader.DataDirectory[entry];
}

}  // namespace

void MemoryModule::Destroy() {
  DosHeader = {};
  NtHeaders = {};
  Sections.clear();
  Sections.shrink_to_fit();
}

std::unique_ptr<MemoryModule> MemoryModule::Copy() const {
  return std::unique_ptr<MemoryModule>(new MemoryModule(*this));
}

bool MemoryModule::LoadFromMemory(std::span<const std::uint8_t> image) {
  if (LoadedBase != 0 || !ParseHeaders(image)) return false;
  const std::uint32_t need = ComputeImageSize();
  if (need == 0) return false;
  const std::uint32_t mem = AllocImage(NtHeaders.OptionalHeader.ImageBase, need);
  if (mem == 0) return false;
  const bool hasRelocations = Directory(NtHeaders, IMAGE_DIRECTORY_ENTRY_BASERELOC).Size > 0;
  if (!MapSections(mem, image) || (hasRelocations && !ApplyRelocations(mem)) ||
      !ResolveImports(mem)) {
    FreeImage(mem);
    return false;
  }
  if (IsDll() && CallEntryPoint(mem, DLL_PROCESS_ATTACH) == 0) {
    CallEntryPoint(mem, DLL_PROCESS_DETACH);
    FreeImage(mem);
    return false;
  }
  LoadedBase = mem;
  return true;
}

void MemoryModule::Unload() {
  if (LoadedBase == 0) return;
  if (IsDll()) CallEntryPoint(LoadedBase, DLL_PROCESS_DETACH);
  FreeImage(LoadedBase);
  LoadedBase = 0;
}

std::uint32_t MemoryModule::FindExport(std::string_view name) const {
  const IMAGE_DATA_DIRECTORY& entry = Directory(NtHeaders, IMAGE_DIRECTORY_ENTRY_EXPORT);
  if (LoadedBase == 0 || entry.Size == 0 || name.empty()) return 0;
  const ImageBytes image(guest::Memory(LoadedBase, ComputeImageSize()));
  const auto record = image.Record<kExportDirectorySize>(entry.VirtualAddress);
  if (!record) return 0;
  const IMAGE_EXPORT_DIRECTORY directory = DecodeExportDirectory(*record);
  if (!image.Contains(directory.AddressOfFunctions, 4ull * directory.NumberOfFunctions)) return 0;
  if (directory.NumberOfNames == 0) return 0;
  const std::optional<std::uint32_t> firstName = image.Read32(directory.AddressOfNames);
  if (!firstName) return 0;
  // The names lie one after another from the first name pointer, as linkers store them; an empty
  // one can only be a malformed table and ends the walk.
  std::uint64_t cursor = *firstName;
  for (std::uint32_t i = 0; i < directory.NumberOfNames; ++i) {
    const std::optional<std::string_view> candidate = image.String(cursor);
    if (!candidate || candidate->empty()) return 0;
    if (*candidate == name) {
      const std::optional<std::uint16_t> k =
          image.Read16(directory.AddressOfNameOrdinals + 2ull * i);
      if (!k || *k >= directory.NumberOfFunctions) return 0;
      return LoadedBase + image.Read32(directory.AddressOfFunctions + 4ull * *k).value_or(0);
    }
    cursor += candidate->size() + 1;
  }
  return 0;
}

std::uint32_t MemoryModule::GetEntryPoint() const {
  return LoadedBase == 0 ? 0 : LoadedBase + NtHeaders.OptionalHeader.AddressOfEntryPoint;
}

std::uint32_t MemoryModule::GetLoadedBase() const { return LoadedBase; }

bool MemoryModule::ParseHeaders(std::span<const std::uint8_t> data) {
  const auto dos = RecordAt<kDosHeaderSize>(data, 0);
  if (!dos) return false;
  DosHeader = DecodeDosHeader(*dos);
  // A negative e_lfanew would point before the bytes.
  if (DosHeader.e_magic != IMAGE_DOS_SIGNATURE || DosHeader.e_lfanew < 0) return false;
  const std::uint64_t ntAt = static_cast<std::uint64_t>(DosHeader.e_lfanew);
  const auto nt = RecordAt<kNtHeadersSize>(data, ntAt);
  if (!nt) return false;
  NtHeaders = DecodeNtHeaders(*nt);
  const IMAGE_FILE_HEADER& file = NtHeaders.FileHeader;
  if (NtHeaders.Signature != IMAGE_NT_SIGNATURE ||
      (file.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) == 0 ||
      file.SizeOfOptionalHeader != IMAGE_SIZEOF_NT_OPTIONAL32_HEADER) {
    return false;
  }
  const std::uint64_t tableAt = ntAt + kNtHeadersSize;
  if (tableAt + std::uint64_t{kSectionHeaderSize} * file.NumberOfSections > data.size()) {
    return false;
  }
  Sections.assign(file.NumberOfSections, IMAGE_SECTION_HEADER{});
  for (std::size_t i = 0; i < Sections.size(); ++i) {
    Sections[i] =
        DecodeSectionHeader(*RecordAt<kSectionHeaderSize>(data, tableAt + kSectionHeaderSize * i));
    if (std::uint64_t{Sections[i].PointerToRawData} + Sections[i].SizeOfRawData > data.size()) {
      return false;
    }
  }
  const IMAGE_OPTIONAL_HEADER32& optional = NtHeaders.OptionalHeader;
  return optional.SizeOfHeaders <= data.size() && optional.SectionAlignment != 0;
}

std::uint32_t MemoryModule::ComputeImageSize() const {
  const std::uint32_t alignment = NtHeaders.OptionalHeader.SectionAlignment;
  std::uint64_t result = AlignUp(NtHeaders.OptionalHeader.SizeOfHeaders, alignment);
  for (const IMAGE_SECTION_HEADER& section : Sections) {
    const std::uint64_t end = std::uint64_t{section.VirtualAddress} +
                              std::max(section.VirtualSize, section.SizeOfRawData);
    result = std::max(result, AlignUp(end, alignment));
  }
  return result > std::numeric_limits<std::uint32_t>::max() ? 0
                                                            : static_cast<std::uint32_t>(result);
}

std::uint64_t MemoryModule::AlignUp(std::uint64_t value, std::uint32_t alignment) const {
  if (alignment == 0) return 0;
  return (value + alignment - 1) / alignment * alignment;
}

bool MemoryModule::MapSections(std::uint32_t base, std::span<const std::uint8_t> data) {
  const std::span<std::uint8_t> image = guest::Memory(base, ComputeImageSize());
  const std::uint32_t headers = NtHeaders.OptionalHeader.SizeOfHeaders;
  if (image.empty() || headers > data.size() || headers > image.size()) return false;
  std::copy_n(data.begin(), headers, image.begin());
  for (const IMAGE_SECTION_HEADER& section : Sections) {
    if (section.VirtualAddress == 0) break;
    const std::uint64_t from = section.PointerToRawData;
    const std::uint64_t to = section.VirtualAddress;
    const std::uint64_t count = section.SizeOfRawData;
    if (from + count > data.size() || to + count > image.size()) return false;
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), count,
                image.begin() + static_cast<std::ptrdiff_t>(to));
  }
  return true;
}

bool MemoryModule::ApplyRelocations(std::uint32_t base) {
  ImageBytes image(guest::Memory(base, ComputeImageSize()));
  const IMAGE_DATA_DIRECTORY& entry = Directory(NtHeaders, IMAGE_DIRECTORY_ENTRY_BASERELOC);
  const std::uint32_t delta = base - NtHeaders.OptionalHeader.ImageBase;
  // The walk ends at a zero header or at the end of the directory.
  const std::uint64_t end = std::uint64_t{entry.VirtualAddress} + entry.Size;
  for (std::uint64_t p = entry.VirtualAddress; p + kBaseRelocationSize <= end;) {
    const std::optional<std::uint32_t> page = image.Read32(p);
    const std::optional<std::uint32_t> sizeOfBlock = image.Read32(p + 4);
    if (!page || !sizeOfBlock) return false;
    if (*page == 0) return true;
    if (*sizeOfBlock < kBaseRelocationSize || p + *sizeOfBlock > end) return false;
    const std::uint32_t entries = (*sizeOfBlock - kBaseRelocationSize) / 2;
    for (std::uint32_t i = 0; i < entries; ++i) {
      const std::optional<std::uint16_t> e = image.Read16(p + kBaseRelocationSize + 2ull * i);
      if (!e) return false;
      if (*e >> 12 != IMAGE_REL_BASED_HIGHLOW) continue;
      const std::uint64_t target = std::uint64_t{*page} + (*e & 0x0FFF);
      const std::optional<std::uint32_t> value = image.Read32(target);
      if (!value || !image.Write32(target, *value + delta)) return false;
    }
    p += *sizeOfBlock;
  }
  return true;
}

bool MemoryModule::ResolveImports(std::uint32_t base) {
  const IMAGE_DATA_DIRECTORY& entry = Directory(NtHeaders, IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (entry.VirtualAddress == 0) return true;
  ImageBytes image(guest::Memory(base, ComputeImageSize()));
  for (std::uint64_t d = entry.VirtualAddress;; d += kImportDescriptorSize) {
    const auto record = image.Record<kImportDescriptorSize>(d);
    if (!record) return false;
    const IMAGE_IMPORT_DESCRIPTOR descriptor = DecodeImportDescriptor(*record);
    if (descriptor.FirstThunk == 0) return true;
    const std::optional<std::string_view> name = image.String(descriptor.Name);
    if (!name) return false;
    std::uint32_t module = guest::GetModuleHandleA(*name);
    if (module == 0) module = guest::LoadLibraryA(*name);
    if (module == 0) return false;
    for (std::uint64_t t = descriptor.FirstThunk;; t += 4) {
      const std::optional<std::uint32_t> v = image.Read32(t);
      if (!v) return false;
      if (*v == 0) break;
      std::uint32_t function = 0;
      if ((*v & IMAGE_ORDINAL_FLAG32) != 0) {
        function = guest::GetProcAddress(module, static_cast<std::uint16_t>(*v & 0xFFFF));
      } else if (const auto byName = image.String(std::uint64_t{*v} + 2)) {
        function = guest::GetProcAddress(module, *byName);
      }
      if (function == 0 || !image.Write32(t, function)) return false;
    }
  }
}

bool MemoryModule::IsDll() const {
  return (NtHeaders.FileHeader.Characteristics & IMAGE_FILE_DLL) != 0;
}

std::uint32_t MemoryModule::CallEntryPoint(std::uint32_t base, std::uint32_t reason) const {
  const std::uint32_t entryPoint = NtHeaders.OptionalHeader.AddressOfEntryPoint;
  if (entryPoint == 0) return 1;
  // The module handle is always 0, never the image address.
  const std::uint32_t arguments[] = {0, reason, 0};
  return guest::Call(base + entryPoint, arguments).value_or(0);
}

std::uint32_t AllocImage(std::uint32_t preferred, std::uint32_t size) {
  constexpr std::uint32_t flags = guest::MEM_COMMIT | guest::MEM_RESERVE;
  const std::uint32_t at =
      guest::VirtualAlloc(preferred, size, flags, guest::PAGE_EXECUTE_READWRITE);
  return at != 0 ? at : guest::VirtualAlloc(0, size, flags, guest::PAGE_EXECUTE_READWRITE);
}

void FreeImage(std::uint32_t address) { guest::VirtualFree(address, 0, guest::MEM_RELEASE); }

std::int32_t CallNative(std::uint32_t function, std::int32_t a1, std::int32_t a2, std::int32_t a3,
                        std::int32_t a4, std::int32_t a5, std::int32_t a6, std::int32_t a7,
                        std::int32_t a8, std::int32_t a9, std::int32_t a10) {
  const std::int32_t values[] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10};
  std::uint32_t arguments[10];
  std::transform(std::begin(values), std::end(values), arguments,
                 [](std::int32_t v) { return static_cast<std::uint32_t>(v); });
  return static_cast<std::int32_t>(guest::Call(function, arguments).value_or(0));
}

}  // namespace tuxia

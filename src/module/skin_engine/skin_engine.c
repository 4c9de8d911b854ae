/* The skin engine: a freestanding 32-bit Windows DLL without a C runtime. SkinH_AttachRes checks
 * a skin in the format of skin_format.h and, only when every check passes, hands its colours and
 * font size to the application through the host module tuxiahost.dll. */
#include "skin_format.h"

__declspec(dllimport) int __stdcall SetSkinColor(unsigned role, unsigned rgb);
__declspec(dllimport) int __stdcall SetSkinFontSize(unsigned points);

static unsigned Read16(const unsigned char* p) { return p[0] | p[1] << 8; }

static unsigned Read32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | (unsigned)p[3] << 24;
}

static unsigned Fnv1a(const unsigned char* p, unsigned length) {
  unsigned hash = SKIN_FNV_OFFSET;
  for (unsigned i = 0; i < length; ++i) {
    hash ^= p[i];
    hash *= SKIN_FNV_PRIME;
  }
  return hash;
}

/* Whether an entry names a role not seen before with a value that role allows; notes the role. */
static int CheckEntry(const unsigned char* entry, unsigned* seen) {
  const unsigned role = Read16(entry);
  const unsigned value = Read32(entry + 4);
  if (Read16(entry + 2) != 0 || role < SKIN_ROLE_WINDOW || role > SKIN_ROLE_FONT_SIZE) return 0;
  if (*seen & 1u << role) return 0;
  *seen |= 1u << role;
  if (role == SKIN_ROLE_FONT_SIZE) {
    return value >= SKIN_FONT_SIZE_MIN && value <= SKIN_FONT_SIZE_MAX;
  }
  return value <= 0xFFFFFF;
}

static int IsValidSkin(const unsigned char* skin, unsigned length) {
  if (skin == 0 || length < SKIN_HEADER_SIZE) return 0;
  for (int i = 0; i < 4; ++i) {
    if (skin[i] != (unsigned char)SKIN_MAGIC[i]) return 0;
  }
  const unsigned count = Read16(skin + 6);
  if (Read16(skin + 4) != SKIN_VERSION || Read32(skin + 8) != length ||
      length != SKIN_HEADER_SIZE + SKIN_ENTRY_SIZE * count) {
    return 0;
  }
  if (Fnv1a(skin + SKIN_HEADER_SIZE, length - SKIN_HEADER_SIZE) != Read32(skin + 12)) return 0;
  unsigned seen = 0;
  for (unsigned i = 0; i < count; ++i) {
    if (!CheckEntry(skin + SKIN_HEADER_SIZE + SKIN_ENTRY_SIZE * i, &seen)) return 0;
  }
  const unsigned colours = (1u << (SKIN_LAST_COLOR_ROLE + 1)) - (1u << SKIN_ROLE_WINDOW);
  return (seen & colours) == colours;
}

int __stdcall DllMain(void* module, unsigned reason, void* reserved) {
  (void)module;
  (void)reason;
  (void)reserved;
  return 1;
}

/* The skin's address and length, then eight reserved arguments that must be 0. Gives 1 when the
 * skin was applied, 0 when it was refused (and nothing was applied). */
__declspec(dllexport) int __stdcall SkinH_AttachRes(const unsigned char* skin, unsigned length,
                                                    unsigned r1, unsigned r2, unsigned r3,
                                                    unsigned r4, unsigned r5, unsigned r6,
                                                    unsigned r7, unsigned r8) {
  if ((r1 | r2 | r3 | r4 | r5 | r6 | r7 | r8) != 0 || !IsValidSkin(skin, length)) return 0;
  const unsigned count = Read16(skin + 6);
  for (unsigned i = 0; i < count; ++i) {
    const unsigned char* entry = skin + SKIN_HEADER_SIZE + SKIN_ENTRY_SIZE * i;
    const unsigned role = Read16(entry);
    if (role == SKIN_ROLE_FONT_SIZE) {
      SetSkinFontSize(Read32(entry + 4));
    } else {
      SetSkinColor(role, Read32(entry + 4));
    }
  }
  return 1;
}

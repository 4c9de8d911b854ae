/* The ".SHE" skin format, version 1, read by the skin engine (C) and known to the host (C++).
 * Numbers are little-endian.
 *   Header, 16 bytes: the magic ".SHE"; u16 version; u16 number of entries; u32 length of the
 *   whole skin in bytes; u32 FNV-1a hash of the entry bytes.
 *   Entry, 8 bytes: u16 role; u16 0; u32 value, 0xRRGGBB for a colour role, points for the font
 *   size.
 * Every colour role appears exactly once, the font size at most once. The build packs the
 * readable default.skin into this format (pack_skin.cmake, whose key list follows the roles). */
#ifndef TUXIA_SKIN_FORMAT_H
#define TUXIA_SKIN_FORMAT_H

#define SKIN_MAGIC ".SHE"
#define SKIN_FNV_OFFSET 2166136261u
#define SKIN_FNV_PRIME 16777619u

enum {
  SKIN_VERSION = 1,
  SKIN_HEADER_SIZE = 16,
  SKIN_ENTRY_SIZE = 8,
  SKIN_FONT_SIZE_MIN = 6,
  SKIN_FONT_SIZE_MAX = 72
};

enum SkinRole {
  SKIN_ROLE_WINDOW = 1,
  SKIN_ROLE_WINDOW_TEXT = 2,
  SKIN_ROLE_BASE = 3, /* list and edit box background */
  SKIN_ROLE_TEXT = 4,
  SKIN_ROLE_BUTTON = 5,
  SKIN_ROLE_BUTTON_TEXT = 6,
  SKIN_ROLE_HIGHLIGHT = 7,
  SKIN_ROLE_HIGHLIGHTED_TEXT = 8,
  SKIN_ROLE_FONT_SIZE = 9
};

#define SKIN_LAST_COLOR_ROLE SKIN_ROLE_HIGHLIGHTED_TEXT

#endif

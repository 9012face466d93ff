// The file dialog for definition files, and the folder browser.
//
// FileDlgSelect (save, flags): the dialog for kind flags & 0x3F, each kind
// with its filter message and definition-file extension:
//   1 0061 DAT (initial name prefix + "DICC.DAT"), 2 0062 PAN, 3 0063 PDC,
//   4 0064 PRX, 5 0065 KVA, 6 0066 PPN (prefix + "MENU.PPN"), 7 0067 PDF,
//   8 0068 TXT, 10 0061 DAT; the others propose the pattern as the name.
//   Flag 0x40 takes the application's two-letter prefix for the names
//   (without it the prefix is "??" and the pattern has none); 0x80 puts the
//   current folder back afterwards (the dialog never changes it anyway). The
//   pattern is the prefix, "*." and the extension. The filter list is the
//   kind's message filled with "*." and the extension twice, then message
//   0060 filled with "*.*" twice, comma-separated label and pattern pairs;
//   a kind outside the table gets only the all-files pair, no initial name
//   and no default extension. On save the kind's extension is the default.
// FileDlgRun (save, default extension, initial name, flags, filter, title):
//   the platform's open or save dialog, owned by the top window, in the
//   current folder. The chosen path, or the empty text when cancelled, or
//   when the path does not fit the 384-byte name buffer (383 characters).
// FileDlgFilterBytes (filter): the filter as the dialog record holds it:
//   every "," a NUL and one more NUL at the end.
// FileDlgChooseFolder (start, title): the folder browser; the chosen folder,
//   or the empty text when cancelled.
// Results are new scratch entries.
#pragma once

#include <cstdint>
#include <string>

#include "core/str_pair.h"

namespace eng {

inline constexpr uint16_t kFileDlgKindMask = 0x3F;
inline constexpr uint16_t kFileDlgPrefix = 0x40;
inline constexpr uint16_t kFileDlgKeepFolder = 0x80;
inline constexpr size_t kFileDlgBuffer = 384;

// What a kind proposes: the filter (comma form), the initial name and the
// default extension of a save.
struct FileDlgKindSpec {
  std::string filter;
  std::string initial;
  std::string ext;
};

FileDlgKindSpec FileDlgSpecOf(uint16_t flags);
StrPair FileDlgSelect(bool save, uint16_t flags);
StrPair FileDlgRun(bool save, StrPair default_ext, StrPair initial, uint16_t flags, StrPair filter, StrPair title);
std::string FileDlgFilterBytes(StrPair filter);
// The all-files filter (message 0060 filled with "*.*" twice).
std::string FileDlgAllFiles();
StrPair FileDlgChooseFolder(StrPair start, StrPair title);

}  // namespace eng

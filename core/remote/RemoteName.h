#pragma once

#include <QString>

namespace ombrix {

// How paths map onto the FTP server and the network disk. Below a set folder every folder and
// file name is stored in a server-safe form: Czech diacritics transliterated and the sum of the
// name's UTF-16 code units put before the extension, so names that differ only in case or in
// diacritics still get different server names ("Zpráva.doc" -> "Zprava.1112.doc").

// A path in slash form: "\" becomes "/", one leading "/", no trailing "/", "//" collapsed in one
// left-to-right pass. Empty or all-space text is returned unchanged.
QString lomitka(const QString& text);

// One name as stored on the server; empty when the name is empty or only spaces.
QString encodeRemoteName(const QString& name);

// A slash-form remote path as stored on the server: every segment after the first one starting
// with "OMX_" (the set folder) goes through encodeRemoteName; the rest is unchanged.
QString fnEncode(const QString& filename);

// Czech and a few other accented letters replaced by their plain letter; everything else kept.
QString stripDiacritics(const QString& text);

} // namespace ombrix

#pragma once

// Rich texts in the document archive. They live with the text model, so the archive itself knows
// nothing of texts.
class CDDArchive;
class CDDText;
class QString;

// A text with characters is stored under key, as RTFD for "Text Storage" and as an archived
// text storage for any other key; an empty text stores only its default text's style, as RTFD
// under key + "::DefValue".
bool archiveSetText(const CDDArchive &archive, const QString &key, const CDDText &text);
// An absent key other than "Label" falls back to "Text Storage"; "Text Storage" and "Label" are
// read as RTFD first. Without a text, the "::DefValue" style is applied to the empty text. False
// when nothing was found or nothing could be read.
bool archiveGetText(const CDDArchive &archive, const QString &key, CDDText &text);

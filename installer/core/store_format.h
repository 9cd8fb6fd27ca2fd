// The store's file format: line-oriented text, every field percent-escaped so
// that any byte 1..255 of a name survives unchanged.
//
//   KXSTORE <format> <kind> <generation>
//   <record> <field> <field> ...
//   end <crc32 of every byte before this line, 8 lowercase hex digits>
//
// A field's bytes 0x21..0x7E other than '%' are written as they are; every
// other byte (blank, control, '%', 0x7F..0xFF) as %XX with uppercase hex. An
// empty field is a single '%'. Records never span lines, so a torn file loses
// its end line and the checksum catches a flipped byte.
#ifndef KX_STORE_FORMAT_H
#define KX_STORE_FORMAT_H

#include <cstdint>
#include <string>

#include "store_model.h"

namespace kx {

enum { kFormatVersion = 1 };
// Longest name or word the store keeps, in bytes.
enum { kMaxNameLength = 1024 };
// Longest language abbreviation: the caller's buffer holds 100 characters.
enum { kMaxLanguageLength = 99 };

uint32_t Crc32(const void *data, size_t size);
// 1 to 19 decimal digits and nothing else, as the store writes numbers.
bool ParseDecimal(const std::string &text, uint64_t *value);
std::string EscapeField(const std::string &text);
// False if the field is not a well-formed escaped text.
bool UnescapeField(const std::string &field, std::string *text);

// A name the store can hold: 1..kMaxNameLength bytes, no CR or LF. On
// refusal err says which name and why; what names the kind ("configuration").
bool CheckName(const std::string &name, const char *what, std::string *err);
// A configuration name: as a name, and no comma. The program's lists and
// the name dialog treat a comma as a separator, so a name holding one could
// be stored but never chosen again.
bool CheckConfigurationName(const std::string &name, std::string *err);
// A word or OS text: may be empty, otherwise as a name.
bool CheckText(const std::string &text, const char *what, std::string *err);
// The three words that the program exchanges.
bool CheckWords(const Words &w, std::string *err);

std::string WriteCatalogue(const Catalogue &c);
std::string WriteConfigData(const ConfigData &d);

// path only names the file in error texts ("<path>: line N: ...").
bool ReadCatalogue(const std::string &bytes, const std::string &path, Catalogue *c, std::string *err);
bool ReadConfigData(const std::string &bytes, const std::string &path, ConfigData *d, std::string *err);
// True when bytes are the file d was read from: the same size, generation
// and checksum, and the checksum holds for them.
bool SameSource(const std::string &bytes, const ConfigData &d);
// The signature of a file as the writer made it (from its end line).
FileSignature SignatureOf(const std::string &written);

}  // namespace kx
#endif

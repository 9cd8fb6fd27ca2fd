// The layout description: a readable text from which rvxlayout lays out an
// installation, and the form in which "rvxlayout print" shows one, so that
// a print fed back to "create" lays out the same store.
//
//   # comment
//   language us
//   resolution administrator | shared | optional
//   home C:\VELKAN\HOME1
//   product Velkan Mail | label=Mail | version=4.2 | size=1200 | shareable
//   client PC-01 | os=Windows NT | version=4.0
//   config Lab | admin=administrator | location=shared | mandatory=optional | os=Windows NT | value=0
//   uses Velkan Mail        (a product of the config above)
//   assign PC-01            (a client of the config above)
//
// Parts are separated by '|' and lose surrounding blanks; %XX gives any
// byte exactly (%25 '%', %7C '|', %20 a leading or trailing blank). A
// product, client or word field left out is absent from the store.
#ifndef RVX_DESCRIPTION_H
#define RVX_DESCRIPTION_H

#include <map>
#include <string>

#include "store_model.h"

namespace rvx {

struct Layout {
  kx::Catalogue catalogue;
  kx::ConfigData config;
  std::map<std::string, bool> shareable;  // by product name
};

bool ParseDescription(const std::string &text, Layout *layout, std::string *err);
// shareable: the registry's answer for a product name.
std::string PrintLayout(const kx::Catalogue &c, const kx::ConfigData &d, bool (*shareable)(const std::string &));

}  // namespace rvx
#endif

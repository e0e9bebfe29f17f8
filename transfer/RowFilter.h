#pragma once
// The row filter: the names and quoted texts of a filter expression, the
// SUBSTITUTE function, and the list helpers it uses.
#include <string>

namespace qx {

// When s starts with open and ends with close, removes both and returns
// true; otherwise leaves s alone. REQUIRES: s is not empty. A one-character
// s that is both open and close becomes empty.
bool StripEnclosing(char open, char close, std::string& s);
// item := the text of list before the first separator (all of list when
// there is none) without trailing characters of codes up to 32; list := the
// text after that separator (empty when there was none).
void TakeListItem(char separator, std::string& list, std::string& item);

}  // namespace qx

// Which way a text reads. The language files carry no direction of their own: a text reads from
// right to left when its first letter is of a right-to-left script (the rule by which a paragraph
// takes its direction). The program's texts begin with the language's own words, except some that
// begin with the product's name, so the caption decides for the whole program.
#pragma once
#include <string>

namespace ui {

bool IsRightToLeftText(const std::u16string& text);

}  // namespace ui

#pragma once

namespace splyce {

extern const char* const help_text_en;  // "--help"
extern const char* const help_text_de;  // "--hilfe"

}  // namespace splyce

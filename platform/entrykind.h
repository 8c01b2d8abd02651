// What an entry of the file system is to the program.
#pragma once

namespace platform::fs {

enum class Kind { Missing, File, Directory, Other };

}  // namespace platform::fs

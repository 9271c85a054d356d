#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace spindle::fuzz {

// The input as text.
inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// This process's scratch folder, emptied by Reset() before every input.
const std::filesystem::path& Folder();
void Reset();

// Writes `bytes` as `name` in the scratch folder and gives its path.
std::string Put(const std::string& name, std::string_view bytes);

}  // namespace spindle::fuzz

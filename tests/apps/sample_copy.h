// A program's sample application copied into a test folder: <to>/<program>/
// with its apps/ and data/ folders and an empty work/ folder, the folder a
// run starts in. The program is named by its title ("Pelmora"), the sample
// lies in apps/<program>/sample of the source tree (SAMPLES_DIR).
#pragma once

#include <filesystem>
#include <string>


namespace eng::test {

inline std::string LowerName(std::string name) {
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

// The work folder of the copy.
inline std::filesystem::path CopySample(const std::string& title, const std::filesystem::path& to) {
  namespace fs = std::filesystem;
  std::string program = LowerName(title);
  fs::path from = fs::path(SAMPLES_DIR) / program / "sample";
  fs::path root = to / program;
  fs::create_directories(root);
  fs::copy(from, root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::create_directories(root / "work");
  return root / "work";
}

}  // namespace eng::test

#include "app/desktop/user_folders.h"

#include "host/user_files.h"

namespace {

constexpr const char kScoreFileName[] = "KIPO.INI";

}  // namespace

ScoreFilePaths ResolveScoreFiles(const std::string& dataDir) {
  const std::string folder = dataDir.empty() ? platform::UserDataFolder() : dataDir;
  ScoreFilePaths paths;
  paths.path = folder;
  paths.path += '/';
  paths.path += kScoreFileName;
  platform::FileFacts facts;
  if (!platform::SameFile(folder, ".") && platform::LookAtFile(kScoreFileName, &facts) == 0 &&
      facts.exists) {
    paths.importPath = kScoreFileName;
  }
  return paths;
}

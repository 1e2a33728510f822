#include "profiles/seeded_store.h"

#include "profiles/json_file.h"

namespace talmi {

Json::Value OpenSeededStore(const std::string& defaultPath, const std::string& userPath) {
  Json::Value doc = ReadJsonFile(userPath);
  if (!doc.isNull()) return doc;
  doc = ReadJsonFile(defaultPath);
  // A failed seeding write only means the next start seeds again.
  (void)WriteJsonFile(userPath, doc);
  return doc;
}

}  // namespace talmi

// packtool model-info FILE.3ds: what the show would build from a 3DS file.
#include "command.h"

#include "api/model/build_models.h"
#include "api/model/parse3ds.h"
#include "engine/errors.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace {

int modelInfo(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::fprintf(stderr, "usage: packtool model-info FILE.3ds\n");
    return 2;
  }
  const std::string& path = arguments[0];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "model-info: %s: %s\n", path.c_str(),
                 errorMessage(errorCode::fileNotFound));
    return 1;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
    std::fprintf(stderr, "model-info: %s: %s\n", path.c_str(),
                 errorMessage(errorCode::modelInvalid3ds));
    return 1;
  }
  try {
    // The engine's own parser and builder; building needs no window.
    FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<std::unique_ptr<FWrender::model>> models;
    FWmodel::buildModels(&parser, models);
    for (const auto& model : models) {
      std::printf("%s\t%zu\t%zu\t%zu\n", model->name.c_str(), model->vertices.size(),
                  model->faces.size(), model->groups.size());
    }
  } catch (int code) {
    std::fprintf(stderr, "model-info: %s: %s\n", path.c_str(), errorMessage(code));
    return 1;
  }
  return 0;
}

const packtoolCommand command("model-info", "FILE.3ds",
                              "prints name, vertices, faces and material groups of every model "
                              "the show builds from a 3DS file, one tab-separated line each",
                              modelInfo);

}  // namespace

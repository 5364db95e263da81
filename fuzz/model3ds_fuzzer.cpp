// The 3DS parser and the model builder over arbitrary bytes, as the model
// component runs them: parse, build the models, then build each model's
// normals, tangents and arrays. No GL is touched.
#include "api/gl/extensions.h"
#include "api/model/build_models.h"
#include "api/model/parse3ds.h"
#include "api/render/model.h"
#include "fuzz_support.h"

#include <memory>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Several texture units, so materials with several maps make several layers.
  gfx::maxTextureUnits = 4;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  try {
    FWmodel::parse3ds parser(data, static_cast<uint32_t>(size));
    std::vector<std::unique_ptr<FWrender::model>> models;
    fuzzing::require(FWmodel::buildModels(&parser, models) == 1, "buildModels succeeds");
    fuzzing::require(models.size() <= parser.objects.size(), "at most one model per object");
    for (auto& model : models) {
      fuzzing::require(!model->vertices.empty() && !model->faces.empty(),
                       "models have vertices and faces");
      FWrender::build(*model);
    }
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::modelInvalid3ds, errorCode::modelParseFailed,
                                errorCode::badIndex});
  }
  return 0;
}

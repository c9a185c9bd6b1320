// Keeping a model within what a kiosk draws smoothly.
#pragma once

#include <cstddef>

#include "modelmesh.h"

// The most faces one model may bring into an exhibition.
constexpr std::size_t kModelFaceBudget = 200000;

// Simplifies the model's meshes, each in proportion to its share, until the whole has at most
// budget faces (meshoptimizer, collapsing edges where it changes the shape least); vertices no face
// uses any more are dropped. Answers the face count afterwards. A model within budget is untouched.
std::size_t SimplifyModel(TModelData& model, std::size_t budget = kModelFaceBudget);

// Chandelier: one iron corona hanging from a long chain, origin at the bottom centre of its
// open cup. The flame stands in the cup and the lamp's light sits just above it, so nothing of
// the model closes over either point; the chain is long enough to vanish into any vault.
#pragma once

#include "ModelBuilder.h"

void buildChandelier(ModelBuilder& model);

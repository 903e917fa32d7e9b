#pragma once
// Which fields the change scanner sends on their own. Some travel only with whole programs (names,
// the spare reverb, the second music compressor and gate, the check byte, the program number), and
// the output channels of a scene go out only while it is the edited scene: an edit of such a field
// would sit in the model unsent. Found by asking the scanner itself, once, on a model of its own.
#include "model/FieldCatalog.h"

namespace pavo::remote {

// A change of this field alone makes the scanner send a frame while `editedScene` (1..3) is the
// edited scene. False for fields without a code.
bool SentOnItsOwn(const FieldInfo& field, int editedScene);

}  // namespace pavo::remote

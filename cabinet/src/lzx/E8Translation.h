#pragma once

#include <cstdint>

namespace kf::cab::lzx {

// The x86 call translation: the relative target of each E8 (CALL) opcode becomes an absolute
// position in the folder, so that calls to the same function look alike wherever they are.
namespace e8 {

// The translation size the folder header announces.
inline constexpr uint32_t kTranslationSize = 12000000;

// Translates one frame at folder position aPosition in place, as the readers undo it.
void Translate(uint8_t* aFrame, uint32_t aSize, uint32_t aPosition);
// Whether the folder should use the translation, judged on its first frame: it costs nothing where
// there are no E8 bytes and gains with x86 code, so only E8 bytes followed by far-off targets
// (data, not calls) speak against it.
bool Worthwhile(const uint8_t* aFrame, uint32_t aSize);

} // namespace e8
} // namespace kf::cab::lzx

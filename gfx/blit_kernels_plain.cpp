// The plain kernels of every depth, each one effect of the common loops.
#include "gfx/blit_kernels.h"
#include "gfx/blit_kernels_loops.h"

namespace ossen {

using namespace blit;

namespace {

using Blend24 = LevelBlendEffect<BlendBytes<3>>;
using Blend32 = LevelBlendEffect<BlendBytes<4>>;

}  // namespace

// --- 8 bits ---
void Copy8(const BlitArgs& a) { CopyLoop<1>(a); }
void KeyedCopy8(const BlitArgs& a) { KeyedCopy<1>(a); }
void DitheredLevel8(const BlitArgs& a) { SameSizeLoop<1>(a, DitheredLevelEffect(a.level)); }
void DitheredMask8(const BlitArgs& a) { SameSizeLoop<1>(a, DitheredMaskEffect{}); }
void ScaledKeyedCopy8(const BlitArgs& a) { ScaledKeyedCopy<1>(a); }
void ScaledDitheredLevel8(const BlitArgs& a) { ScaledLoop<1>(a, DitheredLevelEffect(a.level)); }

// --- 16 bits ---
void Copy16(const BlitArgs& a) { CopyLoop<2>(a); }
void KeyedCopy16(const BlitArgs& a) { KeyedCopy<2>(a); }
void DitheredLevel16(const BlitArgs& a) { SameSizeLoop<2>(a, DitheredLevelEffect(a.level)); }
void DitheredMask16(const BlitArgs& a) { SameSizeLoop<2>(a, DitheredMaskEffect{}); }
void LevelBlend555(const BlitArgs& a) {
  SameSizeLoop<2>(a, LevelBlendEffect<Blend555>(SourceWeight16(a.level), TargetWeight16(a.level)));
}
void LevelBlend565(const BlitArgs& a) {
  SameSizeLoop<2>(a, LevelBlendEffect<Blend565>(SourceWeight16(a.level), TargetWeight16(a.level)));
}
void MaskBlend555(const BlitArgs& a) { SameSizeLoop<2>(a, MaskBlendEffect<Blend555>{}); }
void MaskBlend565(const BlitArgs& a) { SameSizeLoop<2>(a, MaskBlendEffect<Blend565>{}); }
void ScaledKeyedCopy16(const BlitArgs& a) { ScaledKeyedCopy<2>(a); }
void ScaledDitheredLevel16(const BlitArgs& a) { ScaledLoop<2>(a, DitheredLevelEffect(a.level)); }
void ScaledMaskBlend555(const BlitArgs& a) { ScaledLoop<2>(a, MaskBlendEffect<Blend555>{}); }
void ScaledMaskBlend565(const BlitArgs& a) { ScaledLoop<2>(a, MaskBlendEffect<Blend565>{}); }

// --- 24 bits ---
void Copy24(const BlitArgs& a) { CopyLoop<3>(a); }
void KeyedCopy24(const BlitArgs& a) { KeyedCopy<3>(a); }
void DitheredLevel24(const BlitArgs& a) { SameSizeLoop<3>(a, DitheredLevelEffect(a.level)); }
void DitheredMask24(const BlitArgs& a) { SameSizeLoop<3>(a, DitheredMaskEffect{}); }
void LevelBlend24(const BlitArgs& a) {
  SameSizeLoop<3>(a, Blend24(SourceWeightBytes(a.level), TargetWeightBytes(a.level)));
}
void MaskBlend24(const BlitArgs& a) { SameSizeLoop<3>(a, MaskBlendEffect<BlendBytes<3>>{}); }
void ScaledKeyedCopy24(const BlitArgs& a) { ScaledKeyedCopy<3>(a); }
void ScaledDitheredLevel24(const BlitArgs& a) { ScaledLoop<3>(a, DitheredLevelEffect(a.level)); }

// --- 32 bits: all four bytes are blended alike ---
void KeyedCopy32(const BlitArgs& a) { KeyedCopy<4>(a); }
void DitheredLevel32(const BlitArgs& a) { SameSizeLoop<4>(a, DitheredLevelEffect(a.level)); }
void DitheredMask32(const BlitArgs& a) { SameSizeLoop<4>(a, DitheredMaskEffect{}); }
void LevelBlend32(const BlitArgs& a) {
  SameSizeLoop<4>(a, Blend32(SourceWeightBytes(a.level), TargetWeightBytes(a.level)));
}
void MaskBlend32(const BlitArgs& a) { SameSizeLoop<4>(a, MaskBlendEffect<BlendBytes<4>>{}); }
void ScaledKeyedCopy32(const BlitArgs& a) { ScaledKeyedCopy<4>(a); }
void ScaledDitheredLevel32(const BlitArgs& a) { ScaledLoop<4>(a, DitheredLevelEffect(a.level)); }

}  // namespace ossen

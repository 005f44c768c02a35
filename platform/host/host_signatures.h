// Host signatures: the four-character creator codes by which the effect tells
// its hosts apart, and the codes some hosts report that stand for one of them.
#pragma once

#include <cstdint>

#include "platform/fourcc.h"

constexpr uint32_t kHIHostAfterEffects = QVFourCC("FXTC");
constexpr uint32_t kHIHostPremiere = QVFourCC("PPro");
constexpr uint32_t kHIHostMediaEncoder = QVFourCC("ame ");
// Hosts with behaviour of their own: one never stops the task pool, one hides
// a group's name.
constexpr uint32_t kHIHostBRed = QVFourCC("BRed");
constexpr uint32_t kHIHostATve = QVFourCC("ATve");
// Hosts whose effect panels have colours and click habits of their own.
constexpr uint32_t kHIHostCbst = QVFourCC("Cbst");
constexpr uint32_t kHIHostFLiP = QVFourCC("FLiP");
constexpr uint32_t kHIHostGSKT = QVFourCC("GSKT");
constexpr uint32_t kHIHostKeyGrip = QVFourCC("KeyG");
// The signature of a process not known as an application.
constexpr uint32_t kHIHostUnknown = QVFourCC("????");

// Variant codes of the hosts above and the host each stands for.
struct HISignatureAlias {
  uint32_t seen, meant;
};
inline constexpr HISignatureAlias kHISignatureAliases[] = {
    {QVFourCC("FXTc"), kHIHostAfterEffects},
    {QVFourCC("FXsl"), kHIHostAfterEffects},
    {QVFourCC("aplt"), kHIHostAfterEffects},
    {QVFourCC("PPhl"), kHIHostPremiere},
};

// The signature a variant code stands for; any other code as it is.
constexpr uint32_t HINormalizeSignature(uint32_t signature) {
  for (const HISignatureAlias& a : kHISignatureAliases)
    if (signature == a.seen) return a.meant;
  return signature;
}

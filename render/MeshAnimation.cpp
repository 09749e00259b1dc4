// The parts of a mesh's drawing that are plain arithmetic: the join animation, the current
// spheroid's alpha pulse and the geometry of the bond-order indicators. No GL call.
#include <algorithm>
#include <cmath>

#include "model/Bond.h"
#include "model/Spheroid.h"
#include "render/Mesh.h"

namespace {
constexpr float kSlerpRotationSettled = 0.0001f;   // in the scalar part of the quaternion
constexpr float kSlerpArrived = 0.001f;            // Angstrom
constexpr float kPulseRate = 2.0f;                 // alpha per second
constexpr float kPulseTop = 1.0f;
constexpr float kPulseTurnDown = 0.999f;
constexpr float kPulseBottom = 0.25f;
constexpr float kIndicatorInset = 0.05f;    // of the focal segment, at each end
constexpr float kIndicatorSpacing = 0.05f;  // of the shortened segment's length
}  // namespace

void Mesh::initSlerp(const Quaternion* targetRotation, const SSEVector4f* targetPosition) {
  slerpStartRotation = rotation;
  slerpStartPosition = position;
  if (targetRotation != nullptr) slerpTargetRotation = *targetRotation;
  if (targetPosition != nullptr) slerpTargetPosition = *targetPosition;
  slerpProgress = 0.0f;
  slerpActive = true;
}

int Mesh::slerp(float dt) {
  slerpProgress = std::min(1.0f, slerpProgress + dt);
  const SSEVector4f& from = slerpStartPosition;
  const SSEVector4f& to = slerpTargetPosition;
  position.x = from.x + slerpProgress * (to.x - from.x);
  position.y = from.y + slerpProgress * (to.y - from.y);
  position.z = from.z + slerpProgress * (to.z - from.z);
  if (slerpProgress < 1.0f) {
    Quaternion turned;
    turned.slerp(slerpStartRotation, slerpTargetRotation, slerpProgress);
    setRotation(turned);
    if (std::fabs(rotation.w - slerpTargetRotation.w) >= kSlerpRotationSettled &&
        rotation.w > -1.0f && rotation.w < 1.0f)
      return 1;
    const SSEVector4f left(position.x - to.x, position.y - to.y, position.z - to.z, 0.0f);
    if (left.length() >= kSlerpArrived) return 1;
  }
  // On the step that reaches the end the orientation of the previous step is kept.
  slerpActive = false;
  slerpProgress = 0.0f;
  return 0;
}

void Mesh::advancePulse(float& direction, float dt, float turnUpAlpha) {
  pulseAlpha += kPulseRate * direction * dt;
  if (pulseAlpha >= kPulseTop) {
    direction = -1.0f;
    pulseAlpha = kPulseTurnDown;
  } else if (pulseAlpha <= kPulseBottom) {
    direction = 1.0f;
    pulseAlpha = turnUpAlpha;
  }
}

std::vector<Mesh::IndicatorLine> Mesh::bondOrderIndicatorLines(
    const SSEVector4f& cameraTranslation) const {
  std::vector<IndicatorLine> lines;
  const Quaternion unturn = rotation.inverse();   // copied at once: inverse() reuses its result
  for (const Spheroid* s : spheroids) {
    if (s->kind != SpheroidKind::BondOrbital || !s->isVisible || s->owner == nullptr) continue;
    const Bond* bond = static_cast<const Bond*>(s->owner);
    const bool aromatic = bond->order == kAromaticOrder;
    const int count = aromatic ? 1 : bond->order;
    SSEVector4f d = s->focus2 - s->focus1;
    d.w = 0.0f;
    SSEVector4f p1 = s->focus1 + kIndicatorInset * d;
    SSEVector4f p2 = s->focus2 - kIndicatorInset * d;
    p1.w = p2.w = 1.0f;
    // The offset runs across the bond as the viewer sees it: perpendicular to the bond and to
    // the line from the camera.
    SSEVector4f a = rotation.rotate(p1);
    a += position;
    SSEVector4f b = rotation.rotate(p2);
    b += position;
    SSEVector4f w = b - a;
    w.w = 0.0f;
    SSEVector4f v(cameraTranslation.x - p1.x, cameraTranslation.y - p1.y,
                  cameraTranslation.z - p1.z, 0.0f);
    SSEVector4f u = v % w;
    u.normalize();
    const float spacing = kIndicatorSpacing * w.length();
    const float first = -0.5f * spacing * static_cast<float>(count - 1);
    for (int k = 0; k < count; ++k) {
      SSEVector4f o = unturn.rotate((first + static_cast<float>(k) * spacing) * u);
      o.w = 0.0f;
      lines.push_back({p1 + o, p2 + o, aromatic});
    }
  }
  return lines;
}

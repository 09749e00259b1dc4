// The parts of a mesh's drawing that need no GL: join animation, alpha pulse, bond-order
// indicator lines, and the shader stage read from a path.
#include <memory>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "model/Spheroid.h"
#include "render/GLSLShader.h"
#include "render/Mesh.h"
#include "support/EmptyTables.h"
#include "support/MoleculeBuilder.h"
#include "tests/render/SpheroidScene.h"

namespace {

float distance(const SSEVector4f& p, const SSEVector4f& q) {
  return SSEVector4f(p.x - q.x, p.y - q.y, p.z - q.z, 0.0f).length();
}

using MeshDrawingData = kvtest::EmptyTablesTest;

}  // namespace

TEST(MeshSlerp, ALongFrameEndsInOneStepExactlyOnTheTarget) {
  Mesh mesh;
  mesh.position = SSEVector4f(1.0f, 1.0f, 1.0f);
  Quaternion target;
  target.fromAxisAngleD(0.0f, 1.0f, 0.0f, 90.0f);
  const SSEVector4f goal(4.0f, -5.0f, 6.5f);
  mesh.initSlerp(&target, &goal);
  EXPECT_EQ(0, mesh.slerp(2.0f));
  EXPECT_TRUE(goal.x == mesh.position.x && goal.y == mesh.position.y && goal.z == mesh.position.z);
  EXPECT_FALSE(mesh.slerpActive);
  EXPECT_EQ(0.0f, mesh.slerpProgress);
}

TEST(MeshPulse, TurnsJustBelowOneAndJustAboveAQuarter) {
  for (const float turnUp : {0.251f, 0.25000009f}) {   // fixed-function paths, HDR path
    Mesh mesh;
    float direction = 1.0f;
    mesh.advancePulse(direction, 0.2f, turnUp);   // 0.75 + 0.4 passes 1
    EXPECT_EQ(0.999f, mesh.pulseAlpha);
    EXPECT_EQ(-1.0f, direction);
    mesh.advancePulse(direction, 0.374f, turnUp);   // 0.251: not yet turned
    EXPECT_TRUE(mesh.pulseAlpha > 0.25f && direction < 0.0f);
    mesh.advancePulse(direction, 0.01f, turnUp);
    EXPECT_EQ(turnUp, mesh.pulseAlpha);
    EXPECT_EQ(1.0f, direction);
  }
}

// A double bond shows two lines across the bond, 5 % of the shortened segment apart and
// centred on it; an aromatic bond one blue line on the segment itself. The mesh is turned,
// since the offsets are worked out in the world and turned back.
TEST_F(MeshDrawingData, BondOrderIndicatorsFollowTheOrderAcrossTheBond) {
  auto m = kvtest::buildMolecule({"C", "C", "C"}, {{0, 1, 2}, {1, 2, 9}});
  kvscene::giveSpheroids(*m, {SSEVector4f(0.0f, 0.0f, 0.0f), SSEVector4f(1.34f, 0.0f, 0.0f),
                              SSEVector4f(2.0f, 1.2f, 0.3f)});
  ASSERT_TRUE(m->renderMolecule());
  Quaternion turn;
  turn.fromAxisAngleD(0.6f, 0.0f, 0.8f, 35.0f);
  m->mesh->setRotation(turn);
  m->mesh->position = SSEVector4f(2.0f, -1.0f, -20.0f);
  const SSEVector4f camera(0.0f, 0.0f, -10.0f);
  const std::vector<Mesh::IndicatorLine> lines = m->mesh->bondOrderIndicatorLines(camera);
  ASSERT_EQ(3u, lines.size());

  const Spheroid* twofold = m->bonds[0]->spheroid;
  const SSEVector4f d = twofold->focus2 - twofold->focus1;
  const SSEVector4f p1 = twofold->focus1 + 0.05f * d, p2 = twofold->focus2 - 0.05f * d;
  EXPECT_FALSE(lines[0].aromatic || lines[1].aromatic);
  for (const auto& end : {std::make_pair(lines[0].from, lines[1].from),
                          std::make_pair(lines[0].to, lines[1].to)})
    EXPECT_NEAR(0.05f * distance(p1, p2), distance(end.first, end.second), 1e-5f);
  EXPECT_LT(distance(0.5f * (lines[0].from + lines[1].from), p1), 1e-5f) << "centred";
  EXPECT_LT(distance(0.5f * (lines[0].to + lines[1].to), p2), 1e-5f);
  EXPECT_NEAR(0.0f, (lines[0].from - p1).dot(d), 1e-5f) << "side by side, not along the bond";

  const Spheroid* aromatic = m->bonds[1]->spheroid;
  const SSEVector4f e = aromatic->focus2 - aromatic->focus1;
  EXPECT_TRUE(lines[2].aromatic);
  EXPECT_LT(distance(lines[2].from, aromatic->focus1 + 0.05f * e), 1e-5f);
  EXPECT_LT(distance(lines[2].to, aromatic->focus2 - 0.05f * e), 1e-5f);
  m.reset();
}

// The letter after the first dot names the stage; other paths are refused before any GL call.
TEST(ShaderStage, TheLetterAfterTheFirstDotNamesTheStage) {
  ShaderType type = FragmentShader;
  EXPECT_TRUE(GLSLShader::stageOfPath("dir.v/phong.fs", type) && type == VertexShader);
  EXPECT_TRUE(GLSLShader::stageOfPath("phong.Frag", type) && type == FragmentShader);
  EXPECT_FALSE(GLSLShader::stageOfPath(nullptr, type) || GLSLShader::stageOfPath("phong", type));
  GLSLShader shader;
  EXPECT_FALSE(shader.loadShaderModule("phong.gs"));
  EXPECT_TRUE(shader.vertexModules.empty() && shader.fragmentModules.empty());
}

// Without its shaders the HDR path cannot draw: the process ends, naming the file.
TEST(ShaderStageDeathTest, AShaderThatCannotBeOpenedEndsTheProcess) {
  EXPECT_EXIT(GLSLShaderModule(":/no/such/phong.vs", VertexShader), ::testing::ExitedWithCode(1),
              "Error: GLSLShaderModule: cannot open the shader \":/no/such/phong.vs\"");
}

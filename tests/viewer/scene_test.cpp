#include <gtest/gtest.h>

#include <Inventor/actions/SoSearchAction.h>
#include <Inventor/nodes/SoEnvironment.h>
#include <Inventor/nodes/SoSelection.h>
#include <Inventor/nodes/SoShapeHints.h>
#include <Inventor/nodes/SoTexture2.h>

#include "viewer_fixture.h"

TEST_F(ViewerTest, SceneRootHasTheFixedTopAndTheTwoModels) {
  SoSeparator* root = viewer->SceneRoot;
  ASSERT_EQ(root->getNumChildren(), 6);
  EXPECT_EQ(root->getChild(0), viewer->SceneCamera);
  ASSERT_TRUE(root->getChild(1)->isOfType(SoShapeHints::getClassTypeId()));
  auto* hints = static_cast<SoShapeHints*>(root->getChild(1));
  EXPECT_EQ(hints->vertexOrdering.getValue(), SoShapeHints::COUNTERCLOCKWISE);
  EXPECT_EQ(hints->shapeType.getValue(), SoShapeHints::SOLID);
  EXPECT_TRUE(hints->isOverride());
  ASSERT_TRUE(root->getChild(2)->isOfType(SoEnvironment::getClassTypeId()));
  EXPECT_FLOAT_EQ(static_cast<SoEnvironment*>(root->getChild(2))->ambientIntensity.getValue(), 0.85f);
  EXPECT_EQ(root->getChild(3), viewer->OverlayGroup);
  EXPECT_EQ(root->getChild(4), viewer->SelectionNode);
  EXPECT_EQ(root->getChild(5), viewer->ModelGroup);
  // The camera is shared with the selection node, followed by the works.
  ASSERT_EQ(viewer->SelectionNode->getNumChildren(), 2);
  EXPECT_EQ(viewer->SelectionNode->getChild(0), viewer->SceneCamera);
  EXPECT_EQ(viewer->ModelGroup->getNumChildren(), 1);
  EXPECT_EQ(Camera(), viewer->SceneCamera);
  // The binding's own title does not replace the window's caption.
  EXPECT_EQ(viewer->windowTitle(), " Pinacora : 3D Viewer");
  EXPECT_FALSE(viewer->ExaminerViewer->isDecoration());
  EXPECT_TRUE(viewer->ExaminerViewer->isHeadlight());
}

TEST_F(ViewerTest, TexturesAreFilledByNodeName) {
  SoSearchAction search;
  search.setName("TEX_11");
  search.apply(viewer->SceneRoot);
  ASSERT_NE(search.getPath(), nullptr);
  auto* texture = static_cast<SoTexture2*>(search.getPath()->getTail());
  SbVec2s size;
  int components = 0;
  const unsigned char* pixels = texture->image.getValue(size, components);
  EXPECT_EQ(size, SbVec2s(8, 8));
  EXPECT_EQ(components, 3);
  EXPECT_NE(pixels, nullptr);
  search.reset();
}

TEST_F(ViewerTest, BuildSceneRefusesListsThatAreNotScenes) {
  EXPECT_EQ(DataBanker->BuildScene(11), nullptr);   // an opera list
  EXPECT_EQ(DataBanker->BuildScene(4242), nullptr); // no such list
}

TEST_F(ViewerTest, InitialCameraStandsAtEyeHeightLookingDownTheRoom) {
  const SbVec3f position = Camera()->position.getValue();
  EXPECT_EQ(position, SbVec3f(0, 1.75f, 0));
  SbVec3f direction;
  Camera()->orientation.getValue().multVec(SbVec3f(0, 0, -1), direction);
  SbVec3f expected(10, 1.75f, 0);
  expected.normalize();
  EXPECT_NEAR(direction.dot(expected), 1.0f, 1e-4f);
}

// The images every suite grid shares.
#pragma once

class TImageList;

// The indicator images ("QZDBGARROW", "QZDBEDIT", "QZDBINSERT",
// "QZDBMULTISELECT", "QZDBMULTIARROW") and the drop marks ("QZRIGHT",
// "QZLEFT"), registered as resources and kept in two lists shared by every
// grid: the first acquire builds them, the last release frees them.
void qzAcquireGridImages();
void qzReleaseGridImages();
TImageList* qzGridIndicatorImages();
TImageList* qzGridTitleArrowImages();
int qzGridImageUsers();

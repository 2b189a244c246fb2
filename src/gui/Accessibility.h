#pragma once
// What a screen reader learns of the program's own controls: the arrow pairs
// are spin boxes that tell their value and step with increase and decrease,
// the drop-down lists are named by their labels, the labels that work as
// buttons are buttons (or links) that can be pressed.

// Registers the descriptions with Qt's accessibility; once is enough, more
// calls do nothing.
void InstallAccessibleControls();

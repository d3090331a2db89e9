#pragma once

#include <QPixmap>

// Pictures of the wizard, drawn in code.

// The picture down the wizard's left side: 119 by 271 pixels, a blue gradient with a stack of
// diskettes and an arrow leading into it.
QPixmap WizardSidePicture();

// The small folder on the Browse buttons: 16 by 16 pixels.
QPixmap SmallFolderPicture();

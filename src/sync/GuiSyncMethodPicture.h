#pragma once

#include <QPixmap>
#include <QSize>

// The picture of a synchronisation method: the left and the right folder with arrows for the copies the
// method makes and a red cross on a side whose orphans it deletes. Custom has no picture.
QSize SyncMethodPictureSize();
QPixmap SyncMethodPicture(int method);

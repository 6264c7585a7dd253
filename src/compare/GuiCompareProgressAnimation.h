#pragma once

#include <QBasicTimer>
#include <QWidget>

// The progress window's small animation, drawn rather than played from a file: a sheet travelling from
// one folder to another while the folders are listed ("filetreelist.avi"), a sweeping magnifier over a
// column of file lines while files are compared ("scanfiles.avi").
class GuiCompareProgressAnimation final : public QWidget
{
public:
    explicit GuiCompareProgressAnimation(QWidget* parent = nullptr);

    // Starts the animation that stands for name; an unknown name shows the folder animation.
    void Play(const QString& name);
    void Stop();
    bool IsPlaying() const { return m_timer.isActive(); }

    QSize sizeHint() const override { return {72, 40}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    enum class Kind { FolderTree, ScanFiles };

    void PaintFolderTree(QPainter& p) const;
    void PaintScanFiles(QPainter& p) const;

    QBasicTimer m_timer;
    Kind m_kind = Kind::FolderTree;
    int m_frame = 0;
};

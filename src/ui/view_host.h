#pragma once

#include <QString>

#include <filesystem>

namespace glimtap {

// What the form view asks of the window and document that hold it.
class ViewHost {
public:
    virtual ~ViewHost() = default;
    // "Untitled" for a new document, else the file name of its path.
    virtual std::filesystem::path DocumentTitle() const = 0;
    // The document's save path; saveAs always asks for a file name. True when written.
    virtual bool SaveDocument(bool saveAs) = 0;
    // Shows whether the document has changes that are not saved.
    virtual void SetModified(bool modified) = 0;
    // Lays the window out again and sizes it so that the whole form shows.
    virtual void ResizeParentToFit() = 0;
    // A passing note in the status bar; an empty one brings back what the bar reads between
    // notes.
    virtual void ShowStatusMessage(const QString& text) = 0;
};

}  // namespace glimtap

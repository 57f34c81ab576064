#include "platform/framework/saveoutcome.h"

#include "platform/base/filename.h"

QString SaveFailureMessage(const SaveOutcome &outcome)
{
    if (outcome.status() != SaveOutcome::Status::Failed)
        return QString();
    if (outcome.cause() == FileError::None)
        return FailedToSaveMessage();
    return FileErrorMessage(outcome.cause(), FileName::Display(outcome.path()));
}

#include "job/StopRequest.h"

StopRequest* StopRequest::Create() {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!event) return nullptr;
  return new StopRequest(event);
}

StopRequest::~StopRequest() { CloseHandle(event); }

void StopRequest::Hold() { holders.fetch_add(1); }

void StopRequest::Release() {
  if (holders.fetch_sub(1) == 1) delete this;
}

void StopRequest::Raise() {
  SetEvent(event);
  raised.store(true);
}

bool StopRequest::Taken() {
  if (!raised.exchange(false)) return false;
  return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

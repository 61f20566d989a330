#pragma once
// The key-security notice shown before a private key is taken from the store, until the person
// asks for it never to be shown again (the marker file).
#include <string>

class JobUi;

void ShowKeyNotice(JobUi& ui, const std::string& markerPath);

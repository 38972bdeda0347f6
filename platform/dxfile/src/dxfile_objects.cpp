// SPDX-License-Identifier: MIT
// The COM objects of the .x parser over a parsed Document: the parser with
// its registered templates, the enumeration of a file, data objects and
// references. Every object holds the Document alive, so data pointers stay
// valid for as long as the caller keeps any object of the file.
#include <dxfile.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "xfile_document.h"
#include "xfile_source.h"

namespace dxfile {
namespace {

using DocumentPtr = std::shared_ptr<const Document>;

HRESULT CopyName(const std::string& name, LPSTR out, LPDWORD size) {
  if (!size) return DXFILEERR_BADVALUE;
  const DWORD needed = name.empty() ? 0 : static_cast<DWORD>(name.size() + 1);
  if (!out) {
    *size = needed;
    return DXFILE_OK;
  }
  if (*size < needed) return DXFILEERR_BADVALUE;
  if (needed > 0)
    std::memcpy(out, name.c_str(), needed);
  else if (*size > 0)
    out[0] = '\0';
  *size = needed;
  return DXFILE_OK;
}

class DataObject final : public ComObject<IDirectXFileData> {
 public:
  DataObject(DocumentPtr doc, const DataNode* node) : doc_(std::move(doc)), node_(node) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirectXFileObject, &IID_IDirectXFileData});
  }
  STDMETHODIMP GetName(LPSTR name, LPDWORD size) override { return CopyName(node_->name, name, size); }
  STDMETHODIMP GetId(LPGUID id) override {
    if (!id) return DXFILEERR_BADVALUE;
    *id = node_->id;
    return DXFILE_OK;
  }
  STDMETHODIMP GetData(LPCSTR member, DWORD* size, void** data) override;
  STDMETHODIMP GetType(const GUID** type) override {
    if (!type) return DXFILEERR_BADVALUE;
    *type = &node_->type->id;
    return DXFILE_OK;
  }
  STDMETHODIMP GetNextObject(LPDIRECTXFILEOBJECT* child) override;
  STDMETHODIMP AddDataObject(LPDIRECTXFILEDATA) override { return E_NOTIMPL; }
  STDMETHODIMP AddDataReference(LPCSTR, const GUID*) override { return E_NOTIMPL; }
  STDMETHODIMP AddBinaryObject(LPCSTR, const GUID*, LPCSTR, LPVOID, DWORD) override { return E_NOTIMPL; }

 private:
  DocumentPtr doc_;
  const DataNode* node_ = nullptr;
  size_t nextChild_ = 0;
};

class Reference final : public ComObject<IDirectXFileDataReference> {
 public:
  Reference(DocumentPtr doc, const ChildObject* ref) : doc_(std::move(doc)), ref_(ref) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirectXFileObject, &IID_IDirectXFileDataReference});
  }
  STDMETHODIMP GetName(LPSTR name, LPDWORD size) override { return CopyName(ref_->refName, name, size); }
  STDMETHODIMP GetId(LPGUID id) override {
    if (!id) return DXFILEERR_BADVALUE;
    *id = ref_->refId;
    return DXFILE_OK;
  }
  STDMETHODIMP Resolve(LPDIRECTXFILEDATA* data) override {
    if (!data) return DXFILEERR_BADVALUE;
    *data = nullptr;
    const DataNode* target = doc_->Resolve(*ref_);
    if (!target) return DXFILEERR_BADDATAREFERENCE;
    *data = new DataObject(doc_, target);
    return DXFILE_OK;
  }

 private:
  DocumentPtr doc_;
  const ChildObject* ref_ = nullptr;
};

STDMETHODIMP DataObject::GetData(LPCSTR member, DWORD* size, void** data) {
  if (!size || !data) return DXFILEERR_BADVALUE;
  static uint8_t empty = 0;  // a valid address for objects without values
  size_t offset = 0;
  size_t length = node_->data.size();
  if (member) {
    const MemberSpan* span = nullptr;
    for (const MemberSpan& m : node_->members)
      if (m.name == member) span = &m;
    if (!span) return DXFILEERR_NOTFOUND;
    offset = span->offset;
    length = span->size;
  }
  *size = static_cast<DWORD>(length);
  *data = length ? const_cast<uint8_t*>(node_->data.data() + offset) : &empty;
  return DXFILE_OK;
}

STDMETHODIMP DataObject::GetNextObject(LPDIRECTXFILEOBJECT* child) {
  if (!child) return DXFILEERR_BADVALUE;
  *child = nullptr;
  if (nextChild_ >= node_->children.size()) return DXFILEERR_NOMOREOBJECTS;
  const ChildObject& c = node_->children[nextChild_++];
  if (c.data)
    *child = new DataObject(doc_, c.data);
  else
    *child = new Reference(doc_, &c);
  return DXFILE_OK;
}

class EnumObject final : public ComObject<IDirectXFileEnumObject> {
 public:
  explicit EnumObject(DocumentPtr doc) : doc_(std::move(doc)) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirectXFileEnumObject});
  }
  STDMETHODIMP GetNextDataObject(LPDIRECTXFILEDATA* data) override {
    if (!data) return DXFILEERR_BADVALUE;
    *data = nullptr;
    if (next_ >= doc_->topLevel.size()) return DXFILEERR_NOMOREOBJECTS;
    *data = new DataObject(doc_, doc_->topLevel[next_++]);
    return DXFILE_OK;
  }
  STDMETHODIMP GetDataObjectById(REFGUID id, LPDIRECTXFILEDATA* data) override {
    return Found(id == GUID_NULL ? nullptr : doc_->FindById(id), data);
  }
  STDMETHODIMP GetDataObjectByName(LPCSTR name, LPDIRECTXFILEDATA* data) override {
    return Found(name && *name ? doc_->FindByName(name) : nullptr, data);
  }

 private:
  HRESULT Found(const DataNode* node, LPDIRECTXFILEDATA* data) {
    if (!data) return DXFILEERR_BADVALUE;
    *data = node ? new DataObject(doc_, node) : nullptr;
    return node ? DXFILE_OK : DXFILEERR_NOTFOUND;
  }

  DocumentPtr doc_;
  size_t next_ = 0;
};

class DirectXFile final : public ComObject<IDirectXFile> {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    return Answer(riid, object, {&IID_IUnknown, &IID_IDirectXFile});
  }
  STDMETHODIMP CreateEnumObject(LPVOID source, DXFILELOADOPTIONS options,
                                LPDIRECTXFILEENUMOBJECT* enumObject) override {
    if (!enumObject) return DXFILEERR_BADVALUE;
    *enumObject = nullptr;
    std::vector<uint8_t> bytes;
    HRESULT hr = ReadSource(source, options, &bytes);
    if (hr != DXFILE_OK) return hr;
    auto doc = std::make_shared<Document>();
    doc->templates = templates_;
    hr = ParseXFile(bytes.data(), bytes.size(), doc.get());
    if (hr != DXFILE_OK) return hr;
    *enumObject = new EnumObject(std::move(doc));
    return DXFILE_OK;
  }
  STDMETHODIMP CreateSaveObject(LPCSTR, DXFILEFORMAT, LPDIRECTXFILESAVEOBJECT* saveObject) override {
    if (saveObject) *saveObject = nullptr;
    return E_NOTIMPL;
  }
  // The block is a whole .x file; any data objects in it are ignored.
  STDMETHODIMP RegisterTemplates(LPVOID data, DWORD size) override {
    if (!data) return DXFILEERR_BADVALUE;
    Document doc;
    doc.templates = templates_;
    const HRESULT hr = ParseXFile(static_cast<const uint8_t*>(data), size, &doc);
    if (hr != DXFILE_OK) return hr;
    templates_ = std::move(doc.templates);
    return DXFILE_OK;
  }

 private:
  TemplateSet templates_;
};

}  // namespace
}  // namespace dxfile

HRESULT WINAPI DirectXFileCreate(LPDIRECTXFILE* directXFile) {
  if (!directXFile) return DXFILEERR_BADVALUE;
  *directXFile = new dxfile::DirectXFile();
  return DXFILE_OK;
}

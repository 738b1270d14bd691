#pragma once

// A branch of the catalogue tree as plain text: a heading line per folder node ("/" and its
// name; a root shown by its absolute path as it is), then one line per file of that folder (by
// name), blocks separated by an empty line, CR LF between lines and none after the last.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// A node of the tree as the lister reads it. The catalogue tree control provides it.
class ListerNode {
 public:
  virtual ~ListerNode() = default;
  virtual QString Text() const = 0;
  // The record id; for a folder node the folder's PID.
  virtual QString Tag() const = 0;
  virtual int Children() const = 0;
  // The first child and the next sibling; nothing when there is none.
  virtual std::unique_ptr<ListerNode> Child() const = 0;
  virtual std::unique_ptr<ListerNode> Next() const = 0;
};

class ListerTree {
 public:
  virtual ~ListerTree() = default;
  // The tree's first node (Nodes(1)); nothing for an empty tree.
  virtual std::unique_ptr<ListerNode> FirstNode() const = 0;
};

class pLister {
 public:
  // The listing of startNode (the tree's first node when none is given, handed back then) and,
  // with recursive, its descendants and, without skipSiblings, its following siblings. Errors
  // of the catalogue reach the caller.
  QString tvwGetData(const ListerTree& tv, std::unique_ptr<ListerNode>& startNode, bool skipSiblings, int16_t indent,
                     bool recursive);

 private:
  // Appends one node's block and, when asked, those of its descendants and following siblings;
  // works without recursion, so neither deep nor wide branches deepen the stack.
  void ListNode(const ListerNode& node, QString& listing, int level, int16_t indent, bool skipSiblings, bool recursive);
  void AppendBlock(const ListerNode& node, QString& listing, int level, int16_t indent);
};
